// lum08-cli at the edges a script reaches: files that are no files, a gateway that never
// accepts or is held by another program, and the one JSON object on every path.

#include "clirun.h"
#include "link/gatewayaddress.h"
#include "platform/portline.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

namespace {

QJsonObject Json(const std::string& out, std::string* problem) {
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject())
        *problem = "not one JSON object: " + out;
    return doc.object();
}

struct Measured {
    int exit = -1;
    std::string out;
    std::string err;
    long maxRssKb = 0;
    double seconds = 0;
};

std::string Slurp(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// lum08-cli in folder, waited for as a child of its own, so that its peak memory is its own.
Measured RunMeasured(const QString& folder, const QStringList& args) {
    const std::string program = std::string(LUM_BIN_DIR) + "/lum08-cli";
    const std::string dir = folder.toStdString();
    const std::string out = dir + "/.out";
    const std::string err = dir + "/.err";
    std::vector<std::string> words{program};
    for (const QString& a : args)
        words.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (::chdir(dir.c_str()) != 0 || o < 0 || e < 0 || in < 0)
            ::_exit(127);
        ::dup2(in, 0);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    Measured m;
    int status = 0;
    rusage usage{};
    if (pid < 0)
        return m;
    // A program that waits for ever (on a FIFO) is ended after a minute: exit -1.
    pid_t ended = 0;
    for (int waited = 0; ended == 0 && waited < 60000; waited += 10) {
        ended = ::wait4(pid, &status, WNOHANG, &usage);
        if (ended == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (ended == 0) {
        ::kill(pid, SIGKILL);
        ::wait4(pid, &status, 0, &usage);
        return m;
    }
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m.maxRssKb = usage.ru_maxrss;
    m.out = Slurp(out);
    m.err = Slurp(err);
    return m;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr long kMemoryLimitKb = 400 * 1024; // the sanitizer's shadow memory counts too
#else
constexpr long kMemoryLimitKb = 50 * 1024;
#endif

const QString kNoPort = "/nonexistent/ttyUSB0"; // a file is refused before any port is opened

// Every file the program reads, made into something that is no configuration or password file:
// each is refused at once, with its reason, exit 2 and one JSON object, and costs no memory.
TEST(CliEdges, FilesThatAreNoFilesAreRefusedAtOnceWhereverTheyAreRead) {
    const struct {
        const char* what;
        std::function<bool(const QString&)> make;
        const char* reason;
    } odd[] = {
        {"FIFO", [](const QString& p) { return ::mkfifo(p.toLocal8Bit().constData(), 0600) == 0; },
         "это не обычный файл"},
        {"/dev/zero", [](const QString& p) { return QFile::link("/dev/zero", p); },
         "это не обычный файл"},
        // Sparse: two gigabytes that take no room on the disk.
        {"2 GB",
         [](const QString& p) {
             QFile f(p);
             return f.open(QIODevice::WriteOnly) && f.resize(qint64(2) << 30);
         },
         "слишком большой файл"},
        {"folder", [](const QString& p) { return QDir().mkdir(p); }, "это папка, а не файл"},
    };
    for (const auto& o : odd) {
        QTemporaryDir dir;
        const QString file = dir.filePath("odd.lum");
        ASSERT_TRUE(o.make(file)) << o.what;
        // The program's own password store of the folder where the command runs.
        QTemporaryDir store;
        ASSERT_TRUE(o.make(store.filePath("FParol.dat"))) << o.what;
        const QStringList port{"--port", kNoPort, "--json"};
        const struct {
            QStringList args;
            const QTemporaryDir& in;
        } uses[] = {
            {QStringList{"diff", file, file, "--json"}, dir},
            {QStringList{"verify", file} + port, dir},
            {QStringList{"write", file, "--password", "9461"} + port, dir},
            {QStringList{"write", "x.lum", "--password-file", file} + port, dir},
            {QStringList{"clock", "--set-now", "--password-file", file} + port, dir},
            {QStringList{"clock", "--set-now", "--password", "9461"} + port, store},
        };
        for (const auto& u : uses) {
            const std::string what = std::string(o.what) + ": " + u.args.join(' ').toStdString();
            const Measured m = RunMeasured(u.in.path(), u.args);
            std::string problem;
            const QJsonObject json = Json(m.out, &problem);
            EXPECT_EQ(problem, "") << what;
            EXPECT_EQ(m.exit, 2) << what << "\n" << m.err;
            EXPECT_EQ(json["exit"].toInt(), 2) << what;
            EXPECT_EQ(json["error"].toObject()["kind"].toString(), "file") << what;
            EXPECT_TRUE(json["error"].toObject()["text"].toString().contains(o.reason))
                << what << "\n"
                << m.err;
            EXPECT_LT(m.maxRssKb, kMemoryLimitKb) << what;
            // The bound of a busy machine; a FIFO waited for would never end at all.
            EXPECT_LT(m.seconds, 20.0) << what;
        }
    }
}

// A listening socket whose queue is full: a connect to it is never answered.
class SilentGateway {
public:
    SilentGateway() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), size) != 0 ||
            ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        port_ = ntohs(a.sin_port);
        // One connection fills a queue of length 0; the next connect waits for ever.
        filler_ = ::socket(AF_INET, SOCK_STREAM, 0);
        ::fcntl(filler_, F_SETFL, O_NONBLOCK);
        ::connect(filler_, reinterpret_cast<sockaddr*>(&a), size);
        pollfd p{filler_, POLLOUT, 0};
        filled_ = ::poll(&p, 1, 10000) == 1;
    }
    ~SilentGateway() {
        ::close(filler_);
        ::close(listener_);
    }
    bool Ready() const { return filled_; }
    QString Name(const char* scheme) const {
        return QString(scheme) + "127.0.0.1:" + QString::number(port_);
    }
    // Whether a program of this machine holds the gateway now.
    bool Held() const {
        GatewayAddress address;
        address.host = "127.0.0.1";
        address.port = port_;
        const std::string path =
            QtSerialLine::DeviceLockFolder() + "/" + PortLine::GatewayLockName(address) + ".lock";
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
        ::close(fd);
        return held;
    }

private:
    int listener_ = -1;
    int filler_ = -1;
    int port_ = 0;
    bool filled_ = false;
};

bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 2000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

// The first program on a gateway holds it while it connects; a second one, under either
// scheme, is refused at once; Ctrl+C and --timeout end the connect that no gateway answers.
TEST(CliEdges, AGatewayIsHeldByOneProgramAndASilentConnectEndsAtTheStop) {
    QTemporaryDir dir;
    SilentGateway gateway;
    ASSERT_TRUE(gateway.Ready());
    CliProcess first;
    StartCli(first, dir, {"clock", "--port", gateway.Name("tcp://"), "--json"});
    ASSERT_TRUE(WaitFor([&] { return gateway.Held(); }));

    const CliRun second = RunCli(dir, {"clock", "--port", gateway.Name("MBTCP://"), "--json"});
    EXPECT_EQ(second.exit, 3);
    std::string problem;
    QJsonObject json = Json(second.out, &problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(json["error"].toObject()["kind"].toString(), "port");
    EXPECT_TRUE(
        json["error"].toObject()["text"].toString().contains("шлюз занят другой программой"))
        << second.err;
    EXPECT_EQ(second.err.find("последовательный порт"), std::string::npos) << second.err;

    const auto signalled = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(pid_t(first.process.processId()), SIGINT), 0);
    const CliRun stopped = FinishCli(first);
    const double afterSignal =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    EXPECT_EQ(stopped.exit, 3) << stopped.err;
    json = Json(stopped.out, &problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(json["error"].toObject()["kind"].toString(), "stopped") << stopped.out;
    EXPECT_EQ(json["error"].toObject()["code"].toInt(), 258);
    EXPECT_LT(afterSignal, 2.0); // the connect alone would wait its 3 s
    EXPECT_FALSE(gateway.Held());

    // The deadline ends the same connect before the connect's own time is up.
    const CliRun late =
        RunCli(dir, {"clock", "--port", gateway.Name("tcp://"), "--timeout", "1", "--json"});
    EXPECT_EQ(late.exit, 3) << late.err;
    json = Json(late.out, &problem);
    EXPECT_EQ(json["error"].toObject()["kind"].toString(), "timeout") << late.out;
}

// One object with "ok", "exit", "command" and "error" on every path a script can take,
// command lines that do not parse, --help and --version included.
TEST(CliEdges, EveryPathGivesOneJsonObjectWithItsCommand) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("folder");
    QFile empty(dir.filePath("empty"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.write("\n");
    empty.close();
    ASSERT_TRUE(empty.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    // A password file others may read serves, with a warning.
    QFile open(dir.filePath("open"));
    ASSERT_TRUE(open.open(QIODevice::WriteOnly));
    open.write("9461\n");
    open.close();
    ASSERT_TRUE(open.setPermissions(open.permissions() | QFile::ReadOther));
    const struct {
        QStringList args;
        int exit;
        QJsonValue command;
        const char* kind; // "" for success
        const char* text;
    } cases[] = {
        {{"--bogus", "--json"}, 2, QJsonValue(), "usage", "Неизвестный параметр --bogus"},
        {{"read", "--bogus", "--json=1"}, 2, "read", "usage", "--bogus"},
        {{"clock", "--port", "tcp://127.0.0.1", "--json"}, 2, "clock", "usage", "адрес шлюза"},
        {{"clock", "--port", "mbtcp://h:99999", "--json"}, 2, "clock", "usage", "адрес шлюза"},
        {{"clock", "--port", "dev/ttyUSB0", "--json"}, 2, "clock", "usage", "/dev/ttyUSB0"},
        {{"read", "--port", kNoPort, "--out", "/dev/null", "--json"},
         2,
         "read",
         "file",
         "это не обычный файл"},
        {{"read", "--port", kNoPort, "--out", dir.filePath("folder") + "/", "--json"},
         2,
         "read",
         "file",
         "нужно имя файла, а не папка"},
        {{"read", "--port", kNoPort, "--out", dir.filePath("folder"), "--json"},
         2,
         "read",
         "file",
         "это папка, а не файл"},
        {{"read", "--port", kNoPort, "--out", dir.filePath(".lum"), "--json"},
         2,
         "read",
         "file",
         "нет имени перед .lum"},
        {{"clock", "--set-now", "--password-file", dir.filePath("empty"), "--port", kNoPort,
          "--json"},
         2,
         "clock",
         "access",
         "Пароль пуст"},
        {{"clock", "--set-now", "--password-file", dir.filePath("open"), "--port", kNoPort,
          "--json"},
         3,
         "clock",
         "port",
         "порт не найден"},
        {{"--version", "--json"}, 0, "version", "", ""},
        {{"--help", "--json=1"}, 0, "help", "", ""},
    };
    for (const auto& c : cases) {
        const std::string what = c.args.join(' ').toStdString();
        const CliRun r = RunCli(dir, c.args);
        std::string problem;
        const QJsonObject json = Json(r.out, &problem);
        EXPECT_EQ(problem, "") << what;
        EXPECT_EQ(r.exit, c.exit) << what << "\n" << r.err;
        EXPECT_EQ(json["exit"].toInt(-1), c.exit) << what;
        EXPECT_EQ(json["ok"].toBool(), c.exit == 0) << what;
        ASSERT_TRUE(json.contains("command")) << what;
        EXPECT_EQ(json["command"], c.command) << what;
        const bool warned = c.args.contains(dir.filePath("open"));
        EXPECT_EQ(json["warnings"].toArray().size(), warned ? 1 : 0) << what;
        EXPECT_EQ(r.err.find("доступен для чтения другим пользователям") != std::string::npos,
                  warned)
            << r.err;
        if (c.exit == 0) {
            EXPECT_TRUE(json["error"].isNull()) << what;
            continue;
        }
        EXPECT_EQ(json["error"].toObject()["kind"].toString(), c.kind) << what;
        EXPECT_TRUE(json["error"].toObject()["text"].toString().contains(c.text)) << what << "\n"
                                                                                  << r.out;
    }
    EXPECT_FALSE(QFile::exists("/dev/null.lum"));
    EXPECT_FALSE(QFile::exists(dir.filePath("folder/.lum")));
    std::string problem;
    EXPECT_TRUE(Json(RunCli(dir, {"--help", "--json"}).out, &problem)["help"].toString().contains(
        "Коды завершения"));
}

} // namespace
