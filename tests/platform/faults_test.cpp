// Faults a careful user's machine meets over the years: two writers at once,
// links and permissions on the target, killed writers, full disks, special files
// named as pictures, and lock or marker files left in any state.
#include "platform/Atoms.h"
#include "platform/FileOps.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/Streams.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSysInfo>
#include <QThread>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/file_helpers.h"

namespace fs = std::filesystem;
using namespace lumvor;
using lumvor::test::ReadFileText;
using lumvor::test::WriteFileText;

namespace {

std::string Home() { return qEnvironmentVariable("LUMVOR_HOME").toStdString(); }

// Two different whole "pictures" of different sizes: a torn file is neither.
std::string Picture(int which) {
    std::string bytes(which == 0 ? 300000 : 70000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * (which ? 7 : 13) + (i >> 10)) & 0xFF);
    return bytes;
}

void Save(const std::string& name, const std::string& bytes) {
    WriteWholeFile(name, bytes.data(), static_cast<int64_t>(bytes.size()));
}

mode_t ModeOf(const std::string& name) {
    struct stat info {};
    ::stat(name.c_str(), &info);
    return info.st_mode & 07777;
}

// Runs a step below in another process of this test binary.
QProcess* StartChild(const std::string& step, const std::vector<std::string>& arguments = {}) {
    auto* child = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMVOR_FAULT_CHILD", "1");
    // The child makes its own test home beside this one, not inside it.
    env.insert("LUMVOR_HOME", qEnvironmentVariable("LUMVOR_HOME_BASE", QDir::tempPath()));
    for (size_t i = 0; i < arguments.size(); ++i)
        env.insert("LUMVOR_FAULT_ARG" + QString::number(i), QString::fromStdString(arguments[i]));
    child->setProcessEnvironment(env);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(),
                 {"--gtest_also_run_disabled_tests", QString::fromStdString("--gtest_filter=FaultChild.DISABLED_" + step)});
    return child;
}

std::string ChildArgument(int i) { return qEnvironmentVariable(("LUMVOR_FAULT_ARG" + std::to_string(i)).c_str()).toStdString(); }

// A process id that no process has now.
pid_t DeadProcessId() {
    QProcess done;
    done.start("true", {});
    done.waitForStarted(10000);
    const pid_t pid = static_cast<pid_t>(done.processId());
    done.waitForFinished(10000);
    return pid;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// ---- Steps run in child processes

TEST(FaultChild, DISABLED_SaveTwenty) {
    ASSERT_TRUE(qEnvironmentVariableIsSet("LUMVOR_FAULT_CHILD"));
    const std::string target = ChildArgument(0);
    const std::string bytes = Picture(std::atoi(ChildArgument(1).c_str()));
    for (int i = 0; i < 20; ++i)
        Save(target, bytes);
}

// ---- The writer

TEST(WholeFileWrite, TwoProcessesSavingOneNameLeaveOneWholePicture) {
    const std::string target = Home() + "/shared.bmp";
    QProcess* first = StartChild("SaveTwenty", {target, "0"});
    QProcess* second = StartChild("SaveTwenty", {target, "1"});
    int looks = 0;
    QElapsedTimer clock;
    clock.start();
    bool firstDone = false, secondDone = false;
    while (!(firstDone && secondDone) && clock.elapsed() < 60000) {
        const std::string now = ReadFileText(target);
        if (!now.empty()) {
            ++looks;
            ASSERT_TRUE(now == Picture(0) || now == Picture(1)) << "a torn file of " << now.size() << " bytes";
        }
        firstDone = firstDone || first->waitForFinished(1);
        secondDone = secondDone || second->waitForFinished(1);
    }
    for (QProcess* child : {first, second}) {
        child->waitForFinished(60000);
        EXPECT_EQ(child->exitCode(), 0) << "a save failed";
        delete child;
    }
    const std::string last = ReadFileText(target);
    EXPECT_TRUE(last == Picture(0) || last == Picture(1));
    EXPECT_GT(looks, 0);
    EXPECT_EQ(FolderEntries(Home()), std::vector<std::string>{"shared.bmp"}) << "a scratch file stayed";
}

TEST(WholeFileWrite, KeepsTheTargetsPropertiesAndNeverFollowsAScratchLink) {
    const std::string folder = Home() + "/pictures";
    const std::string outside = Home() + "/outside.bin";
    WriteFileText(outside, "outside");

    // 0600 stays 0600, and the owner stays.
    const std::string privateFile = folder + "/private.bmp";
    WriteFileText(privateFile, "old");
    ::chmod(privateFile.c_str(), 0600);
    ASSERT_EQ(::chown(privateFile.c_str(), 4321, 4321), geteuid() == 0 ? 0 : -1);
    Save(privateFile, "new");
    EXPECT_EQ(ReadFileText(privateFile), "new");
    EXPECT_EQ(ModeOf(privateFile), 0600u);
    struct stat info {};
    ::stat(privateFile.c_str(), &info);
    if (geteuid() == 0) {
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4321u);
    }

    // A link to a picture is written through: the link stays, its file changes.
    const std::string real = folder + "/real.bmp";
    const std::string link = folder + "/link.bmp";
    WriteFileText(real, "old");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink("real.bmp", link);
    Save(link, "through");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileText(real), "through");
    EXPECT_EQ(ModeOf(real), 0640u);

    // Links waiting at the scratch names (this process's next ones and the old
    // fixed name) are never followed.
    const std::string next = ScratchFileName(folder + "/target.bmp");
    const std::string stem = next.substr(0, next.rfind('-') + 1);
    const int counter = std::atoi(next.substr(next.rfind('-') + 1).c_str());
    for (int n = counter; n < counter + 20; ++n)
        fs::create_symlink(outside, stem + std::to_string(n) + ".part");
    fs::create_symlink(outside, folder + "/target.bmp.lumvor-tmp");
    Save(folder + "/target.bmp", "saved");
    EXPECT_EQ(ReadFileText(folder + "/target.bmp"), "saved");
    EXPECT_EQ(ReadFileText(outside), "outside");
}

TEST(WholeFileWrite, ReadOnlyAndSpecialTargetsAreRefusedAndUnchanged) {
    const std::string readOnly = Home() + "/locked.bmp";
    WriteFileText(readOnly, "keep");
    ::chmod(readOnly.c_str(), 0444);
    try {
        Save(readOnly, "new");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot write \"" + readOnly + "\": the file is read-only.");
        EXPECT_EQ(e.ErrorCode(), EACCES);
    }
    EXPECT_EQ(ReadFileText(readOnly), "keep");
    EXPECT_EQ(ModeOf(readOnly), 0444u);

    const std::string fifo = Home() + "/pipe.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_THROW(Save(fifo, "new"), EFCreateError);
    EXPECT_THROW(Save(Home(), "new"), EFCreateError);
    EXPECT_EQ(FolderEntries(Home()), (std::vector<std::string>{"locked.bmp", "pipe.bmp"}));
}

TEST(WholeFileWrite, LeftoversOfDeadWritersGoWithTheNextWrite) {
    const std::string folder = Home() + "/album";
    const std::string dead = std::to_string(DeadProcessId());
    const std::string live = std::to_string(getppid());
    const std::string self = std::to_string(getpid());
    const std::vector<std::string> leftovers = {
        ".a.bmp.lumvor-" + dead + "-1.part",   // a killed save
        ".b.bmp.lumvor-" + dead + "-7.part",   // a killed move's partial copy
    };
    const std::vector<std::string> kept = {
        ".d.bmp.lumvor-" + live + "-2.part",   // a writer at work in another process
        ".g.bmp.lumvor-" + self + "-9.part",   // this process's own writer
        "e.lumvor-" + dead + "-1.part",        // not hidden: not a scratch name
        ".f.bmp.lumvor-x1-1.part",             // no process id
        "..lumvor-" + dead + "-1.part",        // no name before the mark
        "c.bmp.lumvor-tmp",                    // user files with the old fixed ending:
        "x.lumvor-tmp",                        //   nothing says a writer of ours left them
    };
    for (const auto& name : leftovers) WriteFileText(folder + "/" + name, "partial");
    for (const auto& name : kept) WriteFileText(folder + "/" + name, "other");
    fs::create_directories(folder + "/.tree.lumvor-" + dead + "-3.part/inner");  // a killed folder copy
    Save(folder + "/new.bmp", "picture");
    std::vector<std::string> expected = kept;
    expected.push_back("new.bmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(folder), expected);

    // A move's partial copies go the same way at the next operation there.
    for (const auto& name : leftovers) WriteFileText(folder + "/" + name, "partial");
    WriteFileText(Home() + "/moved.bmp", "m");
    const TFileOpResult result = RunFileOperation(foMove, {Home() + "/moved.bmp"}, {folder + "/"}, fofNoConfirmation);
    ASSERT_TRUE(result.Succeeded) << result.Error;
    expected.push_back("moved.bmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(folder), expected);
}

// A small file system that fills up; without the right to mount one, the
// write fault hook stands in for it.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = Home() + "/small";
        fs::create_directories(folder_);
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=256k") == 0;
        if (!mounted_)
            WriteFaultHook = [](const std::string&) { return ENOSPC; };
    }
    void TearDown() override {
        WriteFaultHook = nullptr;
        if (mounted_)
            ::umount(folder_.c_str());
    }
    std::string folder_;
    bool mounted_ = false;
};

TEST_F(FullDisk, EveryWriteRoadSaysSoAndKeepsTheOldFile) {
    const std::string picture = folder_ + "/picture.bmp";
    WriteFileText(picture, "old picture");
    const std::string big(mounted_ ? 400 * 1024 : 10, 'x');
    try {
        Save(picture, big);
        ADD_FAILURE() << "no error";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Not enough disk space to write " + picture + ".");
        EXPECT_EQ(e.ErrorCode(), ENOSPC);
    }
    EXPECT_EQ(ReadFileText(picture), "old picture");
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"picture.bmp"});
    if (!mounted_)
        GTEST_SKIP() << "no tmpfs: the stream, copy and settings roads need a real full disk";

    // A stream written piece by piece (extraction, backups).
    try {
        TFileStream stream(folder_ + "/extracted.bin", fmCreate);
        stream.WriteBuffer(big.data(), static_cast<int64_t>(big.size()));
        ADD_FAILURE() << "no error";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Not enough disk space to write " + folder_ + "/extracted.bin.");
    }
    fs::remove(folder_ + "/extracted.bin");

    // A file operation's copy.
    WriteFileText(Home() + "/big.bin", big);
    const TFileOpResult copy = RunFileOperation(foCopy, {Home() + "/big.bin"}, {folder_ + "/"}, 0);
    EXPECT_FALSE(copy.Succeeded);
    EXPECT_EQ(copy.Error, "Not enough disk space to write " + folder_ + "/big.bin.");
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"picture.bmp"});

    // The settings store, kept on the volume the write fills.
    const QByteArray home = qgetenv("LUMVOR_HOME");
    qputenv("LUMVOR_HOME", QByteArray::fromStdString(folder_));
    try {
        TRegistry registry;
        registry.OpenKey("Software\\Quorvane\\Lumvor", true);
        registry.WriteBinaryData("Big", big.data(), static_cast<int>(big.size()));
        ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Not enough disk space to write " + RegistryFileName() + ".");
    }
    const std::vector<std::string> left = FolderEntries(folder_);
    EXPECT_TRUE(std::none_of(left.begin(), left.end(), [](const std::string& n) { return n.find(".tmp-") != std::string::npos; }));
    qputenv("LUMVOR_HOME", home);
}

// ---- Special files named as pictures

TEST(SpecialFiles, AreRefusedAtOnceWithTheMessage) {
    const std::string fifo = Home() + "/pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string socketName = Home() + "/socket.jpg";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketName.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    struct Case {
        std::string path, kind;
    };
    for (const Case& c : {Case{fifo, "a named pipe"}, Case{"/dev/zero", "a device"}, Case{socketName, "a socket"},
                          Case{Home(), "a folder"}}) {
        SCOPED_TRACE(c.path);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(SpecialFileProblem(c.path), "\"" + c.path + "\" is " + c.kind + ", not a file.");
        try {
            TFileStream stream(c.path, fmOpenRead | fmShareDenyWrite);
            ADD_FAILURE() << "opened";
        } catch (const EFOpenError& e) {
            EXPECT_NE(e.Message().find(c.path), std::string::npos) << e.Message();
        }
        TMemoryStream memory;
        EXPECT_THROW(memory.LoadFromFile(c.path), EFOpenError);
        EXPECT_LT(clock.elapsed(), 5000);  // an open that blocked on the file would never end
    }
    ::close(sock);
    EXPECT_EQ(SpecialFileProblem(Home() + "/missing.jpg"), "");
}

TEST(SpecialFiles, AReadStopsAtTheSizeAtOpening) {
    const std::string name = Home() + "/growing.bin";
    WriteFileText(name, "0123456789");
    TFileStream stream(name, fmOpenRead);
    {
        std::ofstream more(name, std::ios::app | std::ios::binary);
        more << "more bytes arriving";
    }
    std::string buffer(100, '\0');
    EXPECT_EQ(stream.Read(buffer.data(), 100), 10);
    EXPECT_EQ(buffer.substr(0, 10), "0123456789");
}

// ---- Locks and markers in every state

namespace {

enum class LockState { Empty, Garbage, DeadProcess, OtherHost, LiveProcess };

struct LockCase {
    const char* label;
    LockState state;
};

// Leaves path in the state; a live holder is a process of an independent
// tool holding a POSIX lock on the file, which it keeps until killed.
QProcess* Prepare(const std::string& path, LockState state) {
    fs::create_directories(fs::path(path).parent_path());
    switch (state) {
    case LockState::Empty: WriteFileText(path, ""); break;
    case LockState::Garbage: WriteFileText(path, std::string("\x01\xFFgarbage\n\n\n", 12)); break;
    case LockState::DeadProcess: WriteFileText(path, std::to_string(DeadProcessId()) + "\nlumvor\n" + QSysInfo::machineHostName().toStdString() + "\n"); break;
    case LockState::OtherHost: WriteFileText(path, "4242\nlumvor\nanother-host.example\n"); break;
    case LockState::LiveProcess: {
        auto* holder = new QProcess;
        holder->start("python3", {"-c",
                                   "import fcntl,sys,time\n"
                                   "f=open(sys.argv[1],'a')\n"
                                   "fcntl.lockf(f,fcntl.LOCK_EX)\n"
                                   "print('held',flush=True)\n"
                                   "time.sleep(60)\n",
                                   QString::fromStdString(path)});
        holder->waitForStarted(10000);
        QByteArray said;
        for (int i = 0; i < 100 && !said.contains("held") && holder->state() == QProcess::Running; ++i) {
            holder->waitForReadyRead(100);
            said += holder->readAllStandardOutput();
        }
        EXPECT_TRUE(said.contains("held")) << "the lock holder did not start";
        return holder;
    }
    }
    return nullptr;
}

void Stop(QProcess* holder) {
    if (!holder) return;
    holder->kill();
    holder->waitForFinished(10000);
    delete holder;
}

}  // namespace

class LockStates : public ::testing::TestWithParam<LockCase> {};

TEST_P(LockStates, SettingsWriteEndsWithinTheBound) {
    const int saved = SettingsLockTimeoutMs;
    // Long enough that a write which waited it out stands apart from one that
    // did not wait, on however busy a machine.
    SettingsLockTimeoutMs = 3000;
    QProcess* holder = Prepare(RegistryFileName() + ".writer", GetParam().state);
    const bool live = GetParam().state == LockState::LiveProcess;
    QElapsedTimer clock;
    clock.start();
    TRegistry registry;
    EXPECT_EQ(registry.OpenKey("Software\\Quorvane\\Lumvor", true), !live);
    try {
        registry.WriteInteger("Answer", 42);
        EXPECT_FALSE(live) << "written past a live writer";
        EXPECT_EQ(registry.ReadInteger("Answer"), 42);
        EXPECT_LT(clock.elapsed(), SettingsLockTimeoutMs / 2) << "the write waited for no live writer";
    } catch (const ERegistryException& e) {
        EXPECT_TRUE(live) << e.Message();
        EXPECT_EQ(e.Message(), "Settings could not be saved: the settings file is locked.");
        EXPECT_FALSE(registry.ValueExists("Answer"));
    }
    EXPECT_LT(clock.elapsed(), SettingsLockTimeoutMs + 5000) << "the wait outlived its bound";
    Stop(holder);
    SettingsLockTimeoutMs = saved;
    // Once the holder is gone the store takes writes again.
    registry.OpenKey("Software\\Quorvane\\Lumvor", true);
    registry.WriteInteger("After", 1);
    EXPECT_EQ(registry.ReadInteger("After"), 1);
}

TEST_P(LockStates, RunningMarkerCountsOnlyWhileALiveProcessHoldsIt) {
    const std::string marker = RuntimeFolder() + "lumvor-AVL_running.lock";
    QProcess* holder = Prepare(marker, GetParam().state);
    const bool live = GetParam().state == LockState::LiveProcess;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(GlobalFindAtom("AVL running") != 0, live);
    const ATOM added = GlobalAddAtom("AVL running");
    EXPECT_EQ(added != 0, !live);
    EXPECT_LT(clock.elapsed(), 3000);  // the marker is looked at, never waited on
    if (added)
        GlobalDeleteAtom(added);
    Stop(holder);
    EXPECT_EQ(GlobalFindAtom("AVL running"), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, LockStates,
                         ::testing::Values(LockCase{"Empty", LockState::Empty}, LockCase{"Garbage", LockState::Garbage},
                                           LockCase{"DeadProcess", LockState::DeadProcess},
                                           LockCase{"OtherHost", LockState::OtherHost},
                                           LockCase{"LiveProcess", LockState::LiveProcess}),
                         test::CaseNames<&LockCase::label>);
