#pragma once
// Runs the real lum08-cli in a folder of its own and keeps what it said and how it ended.

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <string>

struct CliRun {
    int exit = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

// env: variables set for this run besides the test's own environment.
inline CliRun RunCli(const QTemporaryDir& dir, const QStringList& args,
                     const QStringList& env = {}) {
    QProcess p;
    p.setWorkingDirectory(dir.path());
    // The device history goes to the test's folder, not the user's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", dir.filePath("data"));
    for (const QString& pair : env)
        environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
    p.setProcessEnvironment(environment);
    const auto start = std::chrono::steady_clock::now();
    p.start(QString::fromUtf8(LUM_BIN_DIR) + "/lum08-cli", args);
    CliRun r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(120000))
        return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}
