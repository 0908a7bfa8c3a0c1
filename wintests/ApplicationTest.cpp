// Quenchbox RZ.exe as a user starts it, each run in a folder of the test's
// own: its command line, wine's audio devices (wine's ALSA driver on an ALSA
// device the test defines: capture read from a file, playback written to
// one), its message when there is no audio at all, a clean stop when asked
// to close, and what it plays against the engine run offline on the same
// input in the same periods.
//
// Runs under wine only, from scripts/run-wintests.sh, which names a folder
// of the run's own in QUENCHBOX_WINTEST_HOME and makes it the Unix HOME,
// where ALSA reads its configuration (wine keeps HOME out of the Windows
// environment: the programs started here inherit it). The test's folders
// are inside it, reached from both sides: Z:\tmp\... and /tmp/....

#include "Pixels.h"
#include "TestPaths.h"
#include "WinTest.h"

#include "app/AppController.h"
#include "app/AppEngine.h"
#include "app/AppStyle.h"
#include "editor/OverlayStyle.h"
#include "app/WinMidiInput.h"
#include "QuenchboxVersion.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace quenchbox;

constexpr unsigned kRate = 48000;
constexpr double kPi = 3.14159265358979323846;
// The input wine may have dropped before the program's first period, in
// periods, and the fewest periods it must play bit for bit before the
// first input wine dropped (24 measured).
constexpr int kFirstPeriods = 16;
constexpr std::size_t kFewestIdenticalPeriods = 10;
constexpr DWORD kRunMilliseconds = 60000;  // the longest a run may take before it counts as hung

// A folder of the test's own, its Windows and its Unix name.
struct Scratch {
    std::string windows;
    std::string unix;

    explicit Scratch(const std::string& name)
    {
        unix = home() + "/" + name;
        windows = windowsName(unix);
        CreateDirectoryA(windows.c_str(), nullptr);
        CreateDirectoryA((windows + "\\appdata").c_str(), nullptr);
    }
    ~Scratch()
    {
        for (const char* name : {"\\in.raw", "\\out.raw"})
            DeleteFileA((windows + name).c_str());
        removeTree(windows + "\\appdata");
        RemoveDirectoryA(windows.c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    static std::string home()
    {
        const char* folder = std::getenv("QUENCHBOX_WINTEST_HOME");
        return folder != nullptr ? folder : "/tmp";
    }
    static std::string windowsName(const std::string& unixName)
    {
        std::string name = "Z:" + unixName;
        for (char& c : name)
            if (c == '/')
                c = '\\';
        return name;
    }

    static void removeTree(const std::string& folder)
    {
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..")
                    continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    removeTree(folder + "\\" + name);
                else
                    DeleteFileA((folder + "\\" + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
    }
};

void writeFile(const std::string& path, const void* data, std::size_t bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
}

std::vector<float> readFloats(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

long long fileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The program's environment: this one's, with `changes` made.
std::vector<char> environment(const std::map<std::string, std::string>& changes)
{
    std::map<std::string, std::string> variables;
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const std::string text = entry;
        const std::size_t equals = text.find('=', 1);
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsA(block);
    for (const auto& [name, value] : changes)
        variables[name] = value;
    std::vector<char> result;
    for (const auto& [name, value] : variables) {
        const std::string entry = name + "=" + value;
        result.insert(result.end(), entry.begin(), entry.end());
        result.push_back('\0');
    }
    result.push_back('\0');
    return result;
}

// Quenchbox RZ.exe running with its output and errors into one pipe.
class Application {
public:
    Application(const std::string& arguments, const std::map<std::string, std::string>& changes)
    {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE writeEnd = nullptr;
        CreatePipe(&readEnd, &writeEnd, &inherit, 0);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        std::string commandLine = "\"" + wintest::besideThisProgram("Quenchbox RZ.exe") + "\" " + arguments;
        std::vector<char> env = environment(changes);
        started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                 env.data(), nullptr, &startup, &process) != 0;
        CloseHandle(writeEnd);
    }
    ~Application()
    {
        if (started) {
            TerminateProcess(process.hProcess, 99);  // when a failed check left it running
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        CloseHandle(readEnd);
    }
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The next line it printed, without its line end; empty once it ended.
    std::string line()
    {
        std::string text;
        char c = 0;
        DWORD got = 0;
        while (ReadFile(readEnd, &c, 1, &got, nullptr) && got == 1 && c != '\n')
            if (c != '\r')
                text += c;
        return text;
    }

    // Its exit status once it ended, with what it printed that was not
    // read yet.
    int finish(std::string& rest)
    {
        if (!started || WaitForSingleObject(process.hProcess, kRunMilliseconds) != WAIT_OBJECT_0)
            return -1;
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::string piece(available, '\0');
            DWORD got = 0;
            if (!ReadFile(readEnd, piece.data(), available, &got, nullptr))
                break;
            for (char c : piece.substr(0, got))
                if (c != '\r')
                    rest += c;
        }
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        return static_cast<int>(status);
    }

    // As taskkill without /F and Task Manager's "End task" do: WM_CLOSE to
    // the program's top-level windows.
    bool askToClose()
    {
        struct Search {
            DWORD processId;
            int asked;
        } search{process.dwProcessId, 0};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* search = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == search->processId && PostMessageW(window, WM_CLOSE, 0, 0))
                    ++search->asked;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.asked > 0;
    }
    bool ok() const { return started; }
    DWORD processId() const { return process.dwProcessId; }

private:
    HANDLE readEnd = nullptr;
    PROCESS_INFORMATION process{};
    bool started = false;
};

int run(const std::string& arguments, const std::map<std::string, std::string>& changes, std::string& output)
{
    Application application(arguments, changes);
    if (!application.ok())
        return -1;
    return application.finish(output);
}

// ALSA's file plug-in over its null device as ALSA's default: capture reads
// `input`, playback writes `output`, both raw interleaved stereo float.
std::string fileDevice(const std::string& input, const std::string& output)
{
    return "pcm.!default {\n  type asym\n"
           "  playback.pcm { type file slave.pcm \"null\" file \"" + output + "\" format \"raw\" }\n"
           "  capture.pcm { type file slave.pcm \"null\" file \"/dev/null\" infile \"" + input + "\" format \"raw\" }\n"
           "}\n";
}

// ALSA's default device made the file device in `scratch`, and the
// program's settings there too, never the user's.
std::map<std::string, std::string> fileDeviceRun(const Scratch& scratch)
{
    const std::string asoundrc = fileDevice(scratch.unix + "/in.raw", scratch.unix + "/out.raw");
    writeFile(Scratch::windowsName(Scratch::home()) + "\\.asoundrc", asoundrc.data(), asoundrc.size());
    return {{"APPDATA", scratch.windows + "\\appdata"}};
}

// Plucked notes: a few decaying harmonics a second, loud enough to drive the
// circuit into its clipping.
std::vector<float> pluckedNotes(double seconds)
{
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    std::vector<float> signal(frames);
    const double notes[] = {82.41, 110.0, 146.83, 196.0, 246.94, 329.63};
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const int note = static_cast<int>(t * 3.0) % 6;
        const double since = t - std::floor(t * 3.0) / 3.0;
        double sample = 0.0;
        for (int h = 1; h <= 5; ++h)
            sample += std::sin(2.0 * kPi * notes[note] * h * since) / h;
        signal[i] = static_cast<float>(0.4 * sample * std::exp(-4.0 * since));
    }
    return signal;
}

// The engine as the program starts it, fed the left channel of `input`
// (interleaved stereo) from `from` on, `frames` frames in periods.
void engineOutput(const std::vector<float>& input, std::size_t from, std::size_t frames, unsigned period,
                  std::vector<float>& left, std::vector<float>& right)
{
    app::AppEngine engine;
    engine.setMonitor(true);
    engine.start(kRate);
    const std::size_t padded = (frames / period + 1) * period;
    std::vector<float> mono(padded, 0.0f);
    for (std::size_t i = 0; i < frames && 2 * (from + i) < input.size(); ++i)
        mono[i] = input[2 * (from + i)];
    left.assign(padded, 0.0f);
    right.assign(padded, 0.0f);
    for (std::size_t at = 0; at < padded; at += period)
        engine.process(mono.data() + at, mono.data() + at, left.data() + at, right.data() + at, period);
    left.resize(frames);
    right.resize(frames);
}

}  // namespace

WINTEST(ApplicationAnswersItsCommandLine)
{
    Scratch scratch("options");
    const std::map<std::string, std::string> changes{{"APPDATA", scratch.windows + "\\appdata"}};
    std::string output;
    CHECK_EQ(run("--version", changes, output), 0);
    CHECK_EQ(output, std::string("Quenchbox RZ " QUENCHBOX_VERSION "\n"));
    output.clear();
    CHECK_EQ(run("--help", changes, output), 0);
    CHECK(output.find("--exclusive") != std::string::npos);
    output.clear();
    CHECK_EQ(run("--rate 12345", changes, output), 2);
    CHECK_EQ(output, std::string("Quenchbox RZ: --rate needs 44100, 48000, 88200, 96000, 176400 or 192000, not '12345'\n"));
}

// The program's shown top-level window, null until it is on the screen.
HWND shownWindowOf(DWORD processId)
{
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search->processId && IsWindowVisible(window))
                search->found = window;
            return search->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits for `done` with a deadline no loaded machine comes near.
template <typename Condition>
bool waitFor(Condition done)
{
    for (ULONGLONG deadline = GetTickCount64() + kRunMilliseconds; !done(); Sleep(10))
        if (GetTickCount64() > deadline)
            return false;
    return true;
}

// The bar's item for `command` where the program draws it, from the same
// table, at 100 %.
app::ItemBox boxOf(app::Command command)
{
    app::AppEngine engine;
    app::AppSettings settings;
    app::AppController controller(engine, settings, {});
    for (const app::ViewItem& item : controller.view())
        if (item.command == command)
            return item.box;
    return {};
}

// Started without --no-gui, the program opens its window: the panel below
// the bar, "Monitor" lit by a click; closing the window stops it cleanly
// with the monitor remembered. The picture is kept beside the test
// (app-window-windows.png).
WINTEST(ApplicationOpensItsWindowAndClosesItCleanly)
{
    Scratch scratch("window");
    std::map<std::string, std::string> changes{{"APPDATA", scratch.windows + "\\appdata"}};
    Application application("", changes);
    REQUIRE(application.ok());
    HWND window = nullptr;
    REQUIRE(waitFor([&] { return (window = shownWindowOf(application.processId())) != nullptr; }));
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    CHECK_EQ(std::string(title), std::string("Quenchbox RZ"));
    HWND holder = GetWindow(window, GW_CHILD);
    CHECK(holder != nullptr && GetWindow(holder, GW_CHILD) != nullptr);  // the panel's editor

    const app::ItemBox monitor = boxOf(app::Command::monitor);
    const auto monitorFill = [&] {
        return wintest::captureWindow(window).at(monitor.x + 3, monitor.y + monitor.height / 2) & 0xFFFFFF;
    };
    CHECK(waitFor([&] { return monitorFill() == app::kButtonFill; }));
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(monitor.x + monitor.width / 2, monitor.y + monitor.height / 2));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(monitor.x + monitor.width / 2, monitor.y + monitor.height / 2));
    CHECK(waitFor([&] { return monitorFill() == editor::kSelectionFill; }));
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the picture is written through WIC
    wintest::savePng(wintest::captureWindow(window), wintest::besideThisProgram("app-window-windows.png"));
    CoUninitialize();

    CHECK(application.askToClose());
    std::string rest;
    CHECK_EQ(application.finish(rest), 0);
    std::ifstream settings(scratch.windows + "\\appdata\\ZUK\\Quenchbox RZ\\app-settings");
    const std::string saved((std::istreambuf_iterator<char>(settings)), std::istreambuf_iterator<char>());
    CHECK(saved.find("\nmonitor=on\n") != std::string::npos);
}

// wine's ALSA driver on the test's device: one output and one input, both
// the default.
WINTEST(ApplicationListsWinesDevices)
{
    Scratch scratch("list");
    const float silence[2] = {};  // wine lists the input only when it opens
    writeFile(scratch.windows + "\\in.raw", silence, sizeof(silence));
    std::string output;
    CHECK_EQ(run("--list-devices", fileDeviceRun(scratch), output), 0);
    CHECK(output.find("output: ") == 0);
    CHECK(output.find(" (default)\n") != std::string::npos);
    CHECK(output.find("\ninput: ") != std::string::npos);
    std::printf("wine's devices:\n%s", output.c_str());
}

// wine with no audio driver, as its registry says while this lives: no
// endpoint at all.
class NoAudioDriver {
public:
    NoAudioDriver()
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegSetValueExA(key, "Audio", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    }
    ~NoAudioDriver()
    {
        RegDeleteValueA(key, "Audio");
        RegCloseKey(key);
    }
    NoAudioDriver(const NoAudioDriver&) = delete;
    NoAudioDriver& operator=(const NoAudioDriver&) = delete;

private:
    HKEY key = nullptr;
};

WINTEST(ApplicationWithoutAudioSaysSoInOneLine)
{
    Scratch scratch("none");
    const NoAudioDriver noAudio;
    const std::map<std::string, std::string> changes{{"APPDATA", scratch.windows + "\\appdata"}};
    std::string output;
    CHECK_EQ(run("--list-devices", changes, output), 0);
    CHECK_EQ(output, std::string());
    output.clear();
    CHECK_EQ(run("--no-gui", changes, output), 1);
    CHECK_EQ(output, std::string("Quenchbox RZ: no audio output device is present (WASAPI lists none)\n"));
}

// The guitar through wine's ALSA driver, stopped as taskkill stops it, against the
// engine run offline on the same input in the same periods.
WINTEST(ApplicationPlaysAsTheEngineDoesOffline)
{
    Scratch scratch("play");
    const std::vector<float> notes = pluckedNotes(2.0);
    // The file goes on silent well past the notes, so that capture never
    // reaches its end while the test listens.
    std::vector<float> interleaved(2 * (notes.size() + 10 * kRate), 0.0f);
    for (std::size_t i = 0; i < notes.size(); ++i)
        interleaved[2 * i] = interleaved[2 * i + 1] = notes[i];
    writeFile(scratch.windows + "\\in.raw", interleaved.data(), interleaved.size() * sizeof(float));

    Application application("--no-gui --monitor on", fileDeviceRun(scratch));
    REQUIRE(application.ok());
    const std::string route = application.line();
    unsigned period = 0;
    CHECK(std::sscanf(route.c_str(), "WASAPI shared, 48 kHz, %u frames, in 1 to out 1+2, ", &period) == 1);
    REQUIRE(period > 0);
    CHECK_EQ(application.line(), std::string("first period"));

    const std::string played = scratch.windows + "\\out.raw";
    // The program's output, once it holds the notes twice over: room for
    // the silence played while the device ran ahead of its input.
    const long long wanted = static_cast<long long>((2 * notes.size() + kRate) * 2 * sizeof(float));
    while (fileBytes(played) < wanted)
        Sleep(20);
    CHECK(application.askToClose());
    std::string rest;
    CHECK_EQ(application.finish(rest), 0);
    CHECK(rest.find("stopped after ") == 0);
    std::printf("%s\n%s", route.c_str(), rest.c_str());
    // The clean stop saved the settings, the monitor switched on among them.
    std::ifstream settings(scratch.windows + "\\appdata\\ZUK\\Quenchbox RZ\\app-settings");
    const std::string saved((std::istreambuf_iterator<char>(settings)), std::istreambuf_iterator<char>());
    CHECK(saved.find("\nmonitor=on\n") != std::string::npos);

    // The program's first period is whatever input wine had kept for it
    // when it started: the input from one of the first periods on, through
    // the engine as the program starts it, in the program's periods.
    const std::vector<float> output = readFloats(played);
    // The output begins with the silence played ahead of the first period,
    // whose exact zeros the engine's output never has.
    std::size_t first = 0;
    while (first + 1 < output.size() && output[first] == 0.0f && output[first + 1] == 0.0f)
        first += 2;
    REQUIRE(output.size() >= first + 2 * notes.size());
    // Where the device ran ahead of its input the program played silence,
    // exact zeros, and counted a dropout; the input waited, so what the
    // engine made still comes whole and in order around it.
    std::size_t matched = 0;
    std::size_t silent = 0;
    int skipped = -1;
    for (int periods = 0; periods < kFirstPeriods && skipped < 0; ++periods) {
        std::vector<float> left, right;
        engineOutput(interleaved, periods * period, notes.size(), period, left, right);
        if (output[first] != left[0] || output[first + 1] != right[0])
            continue;
        skipped = periods;
        for (std::size_t at = first; at + 1 < output.size() && matched < notes.size(); at += 2) {
            if (output[at] == 0.0f && output[at + 1] == 0.0f) {
                ++silent;
                continue;
            }
            if (output[at] != left[matched] || output[at + 1] != right[matched])
                break;
            ++matched;
        }
        CHECK(std::count(left.begin(), left.end(), 0.0f) == 0);  // so that silence tells itself apart
    }
    int dropouts = -1;
    std::sscanf(rest.c_str(), "stopped after %d dropouts", &dropouts);
    std::printf("%zu of %zu frames the engine made were played bit for bit, from input frame %d on, with %zu "
                "silent frames between them; %d dropouts\n", matched, notes.size(),
                skipped * static_cast<int>(period), silent, dropouts);
    CHECK(skipped >= 0);
    // wine's capture from the file device runs ahead of its playback (the
    // null device under both keeps no time) and drops a buffer of input
    // when it is full, marked as a discontinuity: the program counts it, and
    // from there on the engine hears other input than the offline run.
    // Until then it plays what the engine makes, bit for bit.
    CHECK(matched == notes.size() || (matched >= kFewestIdenticalPeriods * period && dropouts > 0));
    CHECK(silent == 0 || dropouts > 0);
}

// WinMM's short messages as the MIDI inputs' callback unpacks them: channel
// messages reach the engine, which a program change on any channel moves;
// system messages and a stray data byte do not.
WINTEST(MidiInputUnpacksChannelMessagesOnly)
{
    app::MidiMessage message;
    REQUIRE(app::WinMidiInput::unpack(0x04C7, message));  // program change 4, channel 8
    CHECK_EQ(static_cast<int>(message.status), 0xC7);
    CHECK_EQ(static_cast<int>(message.data1), 4);
    REQUIRE(app::WinMidiInput::unpack(0x7F4AB0, message));  // controller 74 to 127
    CHECK_EQ(static_cast<int>(message.data1), 74);
    CHECK_EQ(static_cast<int>(message.data2), 127);
    for (DWORD_PTR packed : {0xF8, 0xFE, 0xF0, 0x45})  // clock, active sensing, SysEx start, data byte
        CHECK(!app::WinMidiInput::unpack(packed, message));

    app::AppEngine engine;
    REQUIRE(app::WinMidiInput::unpack(0x04C7, message));
    CHECK(engine.queueMidi(message));
    CHECK_EQ(engine.applyMidi(), 1);
    CHECK_EQ(engine.effect().program(), 4);
}
