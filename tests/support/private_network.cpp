// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "private_network.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#ifdef __linux__
#include <array>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <spawn.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;
#endif

namespace {

QString& reason()
{
    static QString text = QStringLiteral("the network namespace was never entered");
    return text;
}

// Both tools live in sbin, which a normal user's PATH may lack.
constexpr const char* ToolFolders = "/usr/sbin:/sbin:/usr/bin:/bin";
constexpr const char* InsideVariable = "KOLVO_PRIVATE_NETWORK";

#ifdef __linux__
std::string findTool(const char* name)
{
    std::string folders = ToolFolders;
    if (const char* path = std::getenv("PATH")) {
        folders = std::string(path) + ':' + folders;
    }
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + '/' + name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

// Runs a program to its end, its output discarded; true when it exits with 0.
bool runs(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const bool started =
        ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// A new namespace's loopback starts down.
bool bringLoopbackUp()
{
    const int probe = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (probe < 0) {
        return false;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(probe, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = short(request.ifr_flags | IFF_UP);
    up = up && ::ioctl(probe, SIOCSIFFLAGS, &request) == 0;
    ::close(probe);
    return up;
}
#endif

} // namespace

namespace PrivateNetwork {

void enter(char** argv)
{
#if defined(KOLVO_TEST_EMULATOR)
    Q_UNUSED(argv);
    reason() = QStringLiteral("under qemu-user, which runs the test inside the emulator (unshare "
                              "would start it without), and passes neither the kernel's TCP_INFO "
                              "nor SIOCOUTQNSD through (7.2), so that only keepalive is set");
#elif !defined(__linux__)
    Q_UNUSED(argv);
    reason() = QStringLiteral("network namespaces are Linux's; Wine runs this test in the "
                              "machine's own network");
#else
    if (std::getenv(InsideVariable) != nullptr) {
        reason() =
            bringLoopbackUp() ? QString() : QStringLiteral("the namespace's loopback stays down");
        return;
    }
    const std::string unshare = findTool("unshare");
    const std::string nft = findTool("nft");
    if (unshare.empty() || nft.empty()) {
        reason() = QStringLiteral("unshare (util-linux) or nft (nftables) is not installed");
        return;
    }
    // Root makes the namespace itself; another user gets the right in a user namespace.
    std::vector<std::string> namespaceOptions{unshare, "--net"};
    if (::geteuid() != 0) {
        namespaceOptions.emplace_back("--map-root-user");
    }
    std::vector<std::string> probe = namespaceOptions;
    probe.insert(probe.end(), {nft, "add", "table", "inet", "kolvo_probe"});
    if (!runs(probe)) {
        reason() = QStringLiteral("this machine lets this user make no network namespace with "
                                  "nftables in it (a container without the right, or user "
                                  "namespaces switched off)");
        return;
    }
    std::array<char, 4096> self{};
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) {
        reason() = QStringLiteral("the test cannot find its own program");
        return;
    }
    ::setenv(InsideVariable, "1", 1);
    std::vector<std::string> arguments = namespaceOptions;
    arguments.emplace_back(self.data());
    for (char** argument = argv + 1; *argument != nullptr; ++argument) {
        arguments.emplace_back(*argument);
    }
    std::vector<char*> exec;
    for (std::string& argument : arguments) {
        exec.push_back(argument.data());
    }
    exec.push_back(nullptr);
    ::execv(exec[0], exec.data());
    reason() = QStringLiteral("unshare could not be started");
#endif
}

QString whyNot()
{
    return reason();
}

} // namespace PrivateNetwork

namespace {

// Runs nft with a script on its standard input; its error output, empty on success.
QString nft(const QString& script)
{
    QProcess process;
    QStringList folders = qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts);
    folders += QString::fromLatin1(ToolFolders).split(u':');
    QString program;
    for (const QString& folder : folders) {
        if (QFileInfo(folder + QStringLiteral("/nft")).isExecutable()) {
            program = folder + QStringLiteral("/nft");
            break;
        }
    }
    if (program.isEmpty()) {
        return QStringLiteral("nft not found");
    }
    process.start(program, {QStringLiteral("-f"), QStringLiteral("-")});
    process.write(script.toLatin1());
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return QString::fromLocal8Bit(process.readAllStandardError()) +
               QStringLiteral(" (nft did not succeed)");
    }
    return {};
}

} // namespace

PacketDrop::PacketDrop(quint16 port) : m_table(QStringLiteral("kolvo_drop_%1").arg(port))
{
    // Dropped where they arrive, not where they leave: a sender whose packets the local
    // firewall refuses knows they never left, where one whose peer vanished does not.
    m_error = nft(QStringLiteral("table inet %1 {\n"
                                 "  chain input {\n"
                                 "    type filter hook input priority 0; policy accept;\n"
                                 "    tcp sport %2 drop\n"
                                 "    tcp dport %2 drop\n"
                                 "  }\n"
                                 "}\n")
                      .arg(m_table)
                      .arg(port));
}

PacketDrop::~PacketDrop()
{
    stop();
}

void PacketDrop::stop()
{
    if (dropping() && !m_table.isEmpty()) {
        (void)nft(QStringLiteral("delete table inet %1\n").arg(m_table));
        m_table.clear();
    }
}
