// The file layer on a disk that fills up: a replacement cut at any byte fails, says why, and
// leaves the old file and nothing else.

#include "platform/filestore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

TEST(FileStoreFullDisk, ACutWriteNeverReplacesTheOldFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("FParol.dat");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        ASSERT_EQ(old.write("old", 3), 3);
    }
    std::vector<uint8_t> bytes(712);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 31);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    for (rlim_t limit : {rlim_t(0), rlim_t(1), rlim_t(2), rlim_t(511), rlim_t(711)}) {
        rlimit cut = saved;
        cut.rlim_cur = limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &cut), 0);
        QString error;
        const bool replaced = ReplaceFileAtomically(path, bytes, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_FALSE(replaced) << limit;
        EXPECT_FALSE(error.isEmpty()) << limit;
        EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{'o', 'l', 'd'})) << limit;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"FParol.dat"})
            << limit;
    }
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(ReplaceFileAtomically(path, bytes));
    EXPECT_EQ(ReadWholeFile(path), bytes);
}

} // namespace
