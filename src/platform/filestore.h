#pragma once
// Reading and replacing the program's files (configuration files, the password file) as raw
// bytes. A replacement goes through a temporary file that is renamed over the old one only when
// everything was written, so a failed save never destroys the previous file.

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The file's whole content, or nothing when it cannot be opened or read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const QString& path);

// Replaces (or creates) the file with the bytes. On failure the old file is left as it was,
// false is returned and error, when given, receives the reason. A read-only file is never
// replaced: that is how back-ups and files the operator protected stay as they are.
bool ReplaceFileAtomically(const QString& path, const std::vector<uint8_t>& bytes,
                           QString* error = nullptr);

// Whether a file of that name exists and can be opened for reading.
bool FileCanBeOpened(const QString& path);

// Makes the file read-only for everybody (on Windows: the read-only attribute).
bool MakeReadOnly(const QString& path);

// Deletes the file, read-only or not (Windows refuses to delete a read-only file as it is).
bool RemoveFile(const QString& path);
