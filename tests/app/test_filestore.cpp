// Reading and atomically replacing files: a failed save must leave the old file as it was.

#include "platform/filestore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list)
        v.push_back(static_cast<uint8_t>(b));
    return v;
}

void WriteRaw(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
}

TEST(FileStore, ReadsExactBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("FParol.dat");
    WriteRaw(path, QByteArray("\x39\x30\x00\xFF", 4));
    const auto bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, Bytes({0x39, 0x30, 0x00, 0xFF}));
    WriteRaw(dir.filePath("empty"), QByteArray());
    const auto empty = ReadWholeFile(dir.filePath("empty"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
}

TEST(FileStore, MissingFileReadsNothing) {
    QTemporaryDir dir;
    EXPECT_FALSE(ReadWholeFile(dir.filePath("absent.lum")).has_value());
    EXPECT_FALSE(ReadWholeFile(dir.path()).has_value()); // a directory is no file
    EXPECT_FALSE(FileCanBeOpened(dir.filePath("absent.lum")));
}

TEST(FileStore, CreatesAndReplaces) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.lum");
    std::vector<uint8_t> big(712);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 7);
    QString error;
    ASSERT_TRUE(ReplaceFileAtomically(path, big, &error)) << error.toStdString();
    EXPECT_TRUE(FileCanBeOpened(path));
    EXPECT_EQ(ReadWholeFile(path), big);
    const std::vector<uint8_t> small = Bytes({1, 2});
    ASSERT_TRUE(ReplaceFileAtomically(path, small));
    EXPECT_EQ(ReadWholeFile(path), small); // shorter content leaves no tail behind
    // no temporary file left beside it
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.lum"});
}

TEST(FileStore, FailureInAMissingDirectoryIsReported) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(ReplaceFileAtomically(dir.filePath("no/such/dir/a.lum"), Bytes({1}), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ReplaceFileAtomically(dir.filePath("no/such/dir/a.lum"), Bytes({1})));
}

TEST(FileStore, FailedSaveKeepsTheOldFile) {
    QTemporaryDir dir;
    // A name of the longest length a directory entry may have: the file exists, but the
    // temporary file beside it cannot be named, so the save fails before touching it.
    const QString path = dir.filePath(QString(255, QChar('p')));
    WriteRaw(path, QByteArray("old", 3));
    QString error;
    EXPECT_FALSE(ReplaceFileAtomically(path, Bytes({'n', 'e', 'w', '!'}), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadWholeFile(path), Bytes({'o', 'l', 'd'}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(FileStore, DirectoryInTheWayIsNotReplaced) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("x.lum"));
    EXPECT_FALSE(ReplaceFileAtomically(dir.filePath("x.lum"), Bytes({1, 2, 3})));
    EXPECT_TRUE(QFileInfo(dir.filePath("x.lum")).isDir());
}

} // namespace
