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

// A run started and not yet waited for: several can go side by side.
struct CliProcess {
    QProcess process;
    std::chrono::steady_clock::time_point start;
};

// env: variables set for this run besides the test's own environment (they may replace
// XDG_DATA_HOME, where the device history goes).
inline void StartCli(CliProcess& p, const QTemporaryDir& dir, const QStringList& args,
                     const QStringList& env = {}) {
    p.process.setWorkingDirectory(dir.path());
    // The device history goes to the test's folder, not the user's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", dir.filePath("data"));
    for (const QString& pair : env)
        environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
    p.process.setProcessEnvironment(environment);
    p.start = std::chrono::steady_clock::now();
    p.process.start(QString::fromUtf8(LUM_BIN_DIR) + "/lum08-cli", args);
}

inline CliRun FinishCli(CliProcess& p) {
    CliRun r;
    if (!p.process.waitForStarted(10000) || !p.process.waitForFinished(120000))
        return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - p.start).count();
    r.exit = p.process.exitStatus() == QProcess::NormalExit ? p.process.exitCode() : -1;
    r.out = p.process.readAllStandardOutput().toStdString();
    r.err = p.process.readAllStandardError().toStdString();
    return r;
}

inline CliRun RunCli(const QTemporaryDir& dir, const QStringList& args,
                     const QStringList& env = {}) {
    CliProcess p;
    StartCli(p, dir, args, env);
    return FinishCli(p);
}
