// The system's words about a failing port, as the operator reads them: Russian, never empty.

#include "platform/porterrortext.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

struct SystemCase {
    int error;
    const char* text;
};

const SystemCase kSystem[] = {
    {0, "порт отключен"},
    {EIO, "порт отключен"},
    {ENXIO, "порт отключен"},
    {ENODEV, "порт отключен"},
    {ENOENT, "порт не найден"},
    {EACCES, "нет прав доступа к порту"},
    {EBUSY, "порт занят другой программой"},
    {EBADF, "порт закрыт"},
    {EMFILE, nullptr}, // no words of its own: its number, in a Russian sentence
};

bool HasLatinLetter(const std::string& text) {
    for (char c : text)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return true;
    return false;
}

} // namespace

class SystemErrorText : public ::testing::TestWithParam<SystemCase> {};

TEST_P(SystemErrorText, IsRussian) {
    const SystemCase c = GetParam();
    const std::string text = PortErrorText(c.error);
    if (c.text)
        EXPECT_EQ(text, c.text);
    else
        EXPECT_EQ(text, "системная ошибка " + std::to_string(c.error));
    EXPECT_FALSE(HasLatinLetter(text)) << text;
}

INSTANTIATE_TEST_SUITE_P(Errno, SystemErrorText, ::testing::ValuesIn(kSystem));

TEST(PortErrorText, EveryPortErrorHasRussianWords) {
    using E = QSerialPort::SerialPortError;
    EXPECT_EQ(PortErrorText(QSerialPort::NoError), "");
    EXPECT_EQ(PortErrorText(QSerialPort::ResourceError), "порт отключен");
    EXPECT_EQ(PortErrorText(QSerialPort::DeviceNotFoundError), "порт не найден");
    for (E e : {QSerialPort::DeviceNotFoundError, QSerialPort::PermissionError,
                QSerialPort::OpenError, QSerialPort::WriteError, QSerialPort::ReadError,
                QSerialPort::ResourceError, QSerialPort::UnsupportedOperationError,
                QSerialPort::UnknownError, QSerialPort::TimeoutError, QSerialPort::NotOpenError}) {
        const std::string text = PortErrorText(e);
        EXPECT_FALSE(text.empty()) << int(e);
        EXPECT_FALSE(HasLatinLetter(text)) << text;
    }
}
