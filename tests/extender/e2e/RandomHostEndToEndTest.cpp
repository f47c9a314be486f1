// A host drawn from a seed: what its windows' chains and thread do, and what
// the user and the control center do to it, step by step, with every
// action. After each step the invariants that no host behaviour may break;
// the first broken one ends the seed with its number, the step and a command
// that replays it. The real control center, a test build of the hook library
// (freed-memory watch, records), the host program in another process, real
// clicks.
//
//   VPW_RANDOM_SEEDS=A-B or A,B,C  the seeds (default: the fixed set below)
//   VPW_RANDOM_SEED=S               one seed
//   VPW_RANDOM_STEPS=K              steps a seed (default kSteps)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "EndToEndSupport.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kHostExe[] = "vpw_e2e_random_host.exe";

// The host program's own queries (RandomHostMain.cpp).
constexpr WPARAM kQueryLayerOn = 30;
constexpr WPARAM kQueryLayerOff = 31;
constexpr WPARAM kQueryReenter = 32;
constexpr WPARAM kQueryWait = 33;
constexpr WPARAM kQueryDestroy = 34;
constexpr WPARAM kQueryLayerAfterAttach = 35;
constexpr WPARAM kQueryArmed = 36;
constexpr WPARAM kQueryEnd = 38;
constexpr WPARAM kQueryPlaced = 39;
constexpr WPARAM kQueryItems = 40;
constexpr WPARAM kQueryDescribe = 41;
constexpr WPARAM kQueryLayersOn = 42;
constexpr WPARAM kQueryRecordsApart = 43;
constexpr WPARAM kQueryLastPing = 44;
constexpr WPARAM kQueryCutOut = 45;
constexpr UINT kPingMessage = WM_USER + 4;
constexpr LPARAM kTopSlot = 0xFF;
constexpr LRESULT kArmedReentry = 1, kArmedMinimise = 2, kArmedWait = 4;

constexpr int kSteps = 60;

struct TSeedRun {
    std::uint64_t seed;
    int steps;
    // Steps may take their sharper forms (a notice inside an action's call,
    // a cut-out host busy at the quit); the earliest seeds were found
    // without them and replay as they were found.
    bool sharper = true;
};
// Seeds the soak found faults with, each cut at the step that showed its
// fault, so that the set takes under two minutes once none is left.
constexpr TSeedRun kFixedSeeds[] = {{407, 6, false}, {404, 6, false}, {414, 13, false}, {405, 10, false},
                                    {416, 33, false}, {408, 3},         {406, 33}};

// splitmix64: small, and the same sequence on every compiler and bitness.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    // An index drawn with the given weights.
    int Weighted(std::initializer_list<int> weights) {
        int total = 0;
        for (int w : weights) total += w;
        int at = Below(total), i = 0;
        for (int w : weights) {
            if (at < w) return i;
            at -= w;
            ++i;
        }
        return 0;
    }

private:
    std::uint64_t state_;
};

enum class TAction { Tray, Edge, Rollup, OnTop, RunMode, CloseQuery, SaveSizePos, CloseWindow };

struct TActionRule {
    TAction action;
    const char* name;
    const char* windowClass;
    const char* rule;
    const char* actionName;
    const char* actionType;
    TParamsXml params;
};

const TActionRule kRules[] = {
    {TAction::Tray, "tray", "VPW_RH_Tray", "E2E Random Tray", "MinToTrayForMinimizeEvent", "MINTOTRAYACTION", {}},
    {TAction::Edge, "edge", "VPW_RH_Edge", "E2E Random Edge", "MinToEdgeForMinimizeEvent", "MINTOEDGEACTION", {}},
    {TAction::Rollup, "roll-up", "VPW_RH_Rollup", "E2E Random Rollup", "WindowRollupForCaptionButton",
     "WINDOWROLLUPACTION", {}},
    {TAction::OnTop, "stay on top", "VPW_RH_OnTop", "E2E Random OnTop", "StayOnTopForCaptionButton", "STAYONTOPACTION",
     {}},
    {TAction::RunMode, "run mode", "VPW_RH_RunMode", "E2E Random RunMode", "RunModeForCaptionButton", "RUNMODEACTION",
     {{"run_mode", "maximize"}}},
    {TAction::CloseQuery, "close query", "VPW_RH_CloseQuery", "E2E Random CloseQuery", "CloseQuery",
     "CLOSEQUERYACTION", {}},
    {TAction::SaveSizePos, "save size and position", "VPW_RH_SaveSizePos", "E2E Random SaveSizePos", "SaveSizePos",
     "SAVESIZEPOSACTION", {}},
    {TAction::CloseWindow, "close window", "VPW_RH_CloseWindow", "E2E Random CloseWindow",
     "CloseWindowForCaptionButton", "CLOSEWINDOWACTION", {}},
};
constexpr int kWindows = static_cast<int>(std::size(kRules));

bool HidesWithIcon(TAction a) { return a == TAction::Tray || a == TAction::Edge; }

// The template's actions that are on unless a rule says otherwise.
const char* const kTemplateActions[][2] = {{"StayOnTopForCaptionButton", "STAYONTOPACTION"},
                                           {"MinToTrayForCaptionButton", "MINTOTRAYACTION"},
                                           {"WindowRollupForCaptionButton", "WINDOWROLLUPACTION"},
                                           {"MinToTrayForMinimizeEvent", "MINTOTRAYACTION"},
                                           {"MinToEdgeForMinimizeEvent", "MINTOEDGEACTION"}};

// One action a window, bound to a caption button; the tray and the edge also
// to the minimise command. Nothing saved between attachments, so that a new
// extender starts from the window as it finds it.
std::string RandomConfig() {
    std::vector<TRuleXml> rules;
    for (const TActionRule& r : kRules) {
        TParamsXml params{{"enabled", "yes"}, {"save_current_operation", "no"}};
        params.insert(params.end(), r.params.begin(), r.params.end());
        std::string actions = ItemXml("action", r.actionName, r.actionType, params);
        for (const auto& [name, type] : kTemplateActions)
            if (std::string(name) != r.actionName) actions += ItemXml("action", name, type, {{"enabled", "no"}});
        auto agent = [&](const char* name, const char* type) {
            return ItemXml("agent", name, type,
                           {{"enabled", "yes"}, {"action_name", r.actionName}, {"action_kind", "next"}});
        };
        std::string triggers = ItemXml("trigger", "CaptionButtons", "CAPTIONBUTTONTRIGGER", {{"enabled", "yes"}},
                                       AgentsXml(agent("RandomHostButton", "CAPTIONBUTTONAGENT")));
        if (HidesWithIcon(r.action))
            triggers += ItemXml("trigger", "MinimizeEvent", "SCMINIMIZEMESSAGETRIGGER", {{"enabled", "yes"}},
                                AgentsXml(agent("MinimizeEventAgent", "MESSAGEAGENT")));
        rules.push_back({r.rule, r.windowClass, actions, triggers});
    }
    return RulesConfig(rules);
}

// The edge's icon window stands at the right edge, away from the shell's
// tray window at the top left.
void PrepareRuleStates() {
    for (const TActionRule& r : kRules) DeleteRuleState(r.rule);
    HKEY key = nullptr;
    std::string path = std::string(kWindowRulesKey) + kRules[1].rule;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "MinToEdge_IconWndLeft", 0, REG_SZ, reinterpret_cast<const BYTE*>("990"), 4);
    RegSetValueExA(key, "MinToEdge_IconWndTop", 0, REG_SZ, reinterpret_cast<const BYTE*>("420"), 4);
    RegCloseKey(key);
}

const char* const kLayerKinds[] = {"passes everything on", "swallows registered messages",
                                   "answers registered messages", "swallows WM_NULL"};
const char* const kArmedMessages[] = {"WM_SHOWWINDOW", "WM_WINDOWPOSCHANGING", "WM_ACTIVATE", "WM_SIZE"};
const char* const kWhen[] = {"", " (hiding)", " (showing)"};
const char* const kReactions[] = {"sends itself SC_MINIMIZE", "sends itself SC_RESTORE", "sends itself SC_CLOSE",
                                  "calls ShowWindow", "calls SetWindowPos"};
const char* const kWaitDelays[] = {"0", "50", "200", "500"};
const DWORD kBusyTimes[] = {300, 1000, 2500, 6000};  // the last past the control center's 5 s bound
const DWORD kOverlaps[] = {0, 30, 100, 300};

std::string Env(const char* name) {
    char value[256] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value) : std::string();
}

// The seeds asked for, each with VPW_RANDOM_STEPS steps (kSteps without);
// the fixed set when none is asked for.
std::vector<TSeedRun> SeedRuns() {
    std::string stepsText = Env("VPW_RANDOM_STEPS");
    int steps = stepsText.empty() ? kSteps : std::atoi(stepsText.c_str());
    if (steps <= 0) steps = kSteps;
    std::vector<TSeedRun> runs;
    std::string one = Env("VPW_RANDOM_SEED"), many = Env("VPW_RANDOM_SEEDS");
    const bool sharper = Env("VPW_RANDOM_PLAIN").empty();
    if (!one.empty()) return {{std::strtoull(one.c_str(), nullptr, 10), steps, sharper}};
    std::stringstream list(many);
    for (std::string part; std::getline(list, part, ',');) {
        auto dash = part.find('-');
        std::uint64_t from = std::strtoull(part.c_str(), nullptr, 10);
        std::uint64_t to = dash == std::string::npos ? from : std::strtoull(part.c_str() + dash + 1, nullptr, 10);
        for (std::uint64_t s = from; s <= to; ++s) runs.push_back({s, steps, sharper});
    }
    if (runs.empty()) runs.assign(std::begin(kFixedSeeds), std::end(kFixedSeeds));
    return runs;
}

HWND VisibleIconWindow(DWORD process) {
    std::vector<HWND> icons = TopLevelWindows(kIconWindowClass, process, true);
    return icons.empty() ? nullptr : icons.front();
}

struct TWindowSlot {
    const TActionRule* rule;
    HWND handle = nullptr;
    LRESULT extender = 0;  // the number of its extender at the last look
    // Attaches since its program began to put a layer swallowing WM_NULL on
    // top after each; -1 when it does not.
    int nullLayerAttaches = -1;
};

enum class TCenter { Up, Quit, Killed };

// One seed: a host program and the control center from the first attach to
// the final quit.
class TRandomRun {
public:
    TRandomRun(TSystemFolder& system, std::uint64_t seed, int steps, bool sharper)
        : system_(system), seed_(seed), steps_(steps), sharper_(sharper) {}

    ~TRandomRun() {
        if (host_ && host_->Wait(0) == STILL_ACTIVE) TerminateProcess(host_->Handle(), 98);
        if (center_ == TCenter::Up) system_.StopCenter();
        system_.KillCenter();
        for (const TActionRule& r : kRules) DeleteRuleState(r.rule);
    }

    // Empty when every step and the end kept the invariants; else what broke.
    std::string Run() {
        if (!Start()) return Failure();
        for (step_ = 1; step_ <= steps_; ++step_) {
            // Each step from its own numbers: a replay cut short draws the same.
            TRandom random(seed_ * 0x100000001B3ull + static_cast<std::uint64_t>(step_));
            // Whether a step takes one of its sharper forms comes from numbers
            // of its own, so that the other steps draw as they always did.
            variants_ = TRandom(seed_ * 0xC2B2AE3D27D4EB4Full + static_cast<std::uint64_t>(step_));
            what_.clear();
            Step(random);
            if (failure_.empty()) CheckInvariants();
            if (!failure_.empty()) return Failure();
            trail_.push_back("step " + std::to_string(step_) + ": " + what_);
            stepsRun_ = step_;
        }
        what_ = "the final quit";
        End();
        return Failure();
    }

    int StepsRun() const { return stepsRun_; }
    // What each step before the failing one did.
    const std::vector<std::string>& Trail() const { return trail_; }

private:
    std::string Failure() const {
        if (failure_.empty()) return {};
        std::ostringstream text;
        text << "seed " << seed_ << " step " << step_ << ": " << what_ << ": " << failure_;
        return text.str();
    }

    bool Fail(const std::string& what) {
        if (failure_.empty()) failure_ = what;
        return false;
    }

    bool Check(bool ok, const std::string& what) { return ok || Fail(what); }

    void Note(const std::string& text) {
        if (!what_.empty()) what_ += "; ";
        what_ += text;
    }

    // ---------------------------------------------------------- start, end

    bool Start() {
        what_ = "the start";
        step_ = 0;
        PrepareRuleStates();
        system_.WriteConfig(RandomConfig());
        if (!system_.StartCenter()) return Fail("the control center did not start");
        center_ = TCenter::Up;
        TRandom random(seed_);
        std::vector<std::string> args;
        for (const TActionRule& r : kRules) {
            // Some windows start with a layer of their program below the library.
            bool below = random.Chance(30);
            if (below) trail_.push_back(std::string("start: ") + r.name + ": a layer of its program below the library");
            args.push_back(std::string(below ? "^" : "") + r.windowClass);
            args.push_back(std::string("random ") + r.name);
        }
        LetWineManageNoWindowsOf(kHostExe);
        host_ = std::make_unique<ChildProcess>(ModuleDir() + kHostExe, args, ModuleDir());
        if (!host_->Started()) return Fail("the host program did not start");
        for (const TActionRule& r : kRules) {
            HWND window = WaitForHostWindow(r.windowClass, 10000);
            if (!window) return Fail(std::string("no window for ") + r.name);
            windows_.push_back({&r, window, 0});
        }
        if (!Check(WaitUntil([&] { return AllExtendedAnew(); }, 10000), "not every window was attached")) return false;
        // Some programs put a layer on top after every attach from the start.
        for (TWindowSlot& w : windows_)
            if (random.Chance(15)) {
                int kind = random.Weighted({2, 2, 2, 3});
                Ask(w, kQueryLayerAfterAttach, kind + 1);
                w.nullLayerAttaches = kind == 3 ? 0 : -1;
                trail_.push_back(std::string("start: ") + w.rule->name +
                                 ": after every attach its program puts a layer on top that " + kLayerKinds[kind]);
            }
        Sleep(200);
        handles_ = QueryTarget(windows_[0].handle, kQueryLibraryHandles);
        return Check(QueryTarget(windows_[0].handle, kQueryStartWatch) == 1, "no freed-memory watch");
    }

    void End() {
        if (center_ != TCenter::Up) Event(3);  // a start: the final quit lets go of what was attached
        if (!failure_.empty()) return;
        Event(2);
        if (!failure_.empty()) return;
        CheckInvariants();
        if (!failure_.empty()) return;
        for (TWindowSlot& w : windows_) {
            std::string name = w.rule->name;
            HWND h = w.handle;
            if (!Check(WaitUntil([&] { return IsWindowVisible(h) != FALSE; }, 5000), name + ": left hidden")) return;
            if (IsIconic(h)) {
                // Minimised by the user past a host that cut the library out.
                ShowWindowAsync(h, SW_RESTORE);
                WaitUntil([&] { return !IsIconic(h); }, 2000);
                Sleep(100);
            }
            if (IsZoomed(h)) {
                SetForegroundWindow(h);
                Sleep(200);
                Click(SystemButton(h, HTMAXBUTTON));
                WaitUntil([&] { return !IsZoomed(h); }, 3000);
            }
            if (!WaitUntil([&] { return QueryTarget(h, kQueryInPlace) == 1; }, 3000)) {
                RECT r = WindowRectOf(h);
                // Minimised by its own program inside its own restore, Wine
                // keeps the minimised size as the window's place; the library
                // minimises nothing.
                if (r.right - r.left == GetSystemMetrics(SM_CXMINIMIZED) &&
                    r.bottom - r.top <= GetSystemMetrics(SM_CYMINIMIZED) + 2 * GetSystemMetrics(SM_CYFRAME)) {
                    trail_.push_back("end: " + name + ": its program left it at the minimised size");
                    continue;
                }
                Fail(name + ": not in its place at its full size (at " + std::to_string(r.left) + "," +
                     std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
                     std::to_string(r.bottom - r.top) + (IsZoomed(h) ? ", maximised" : "") +
                     (IsIconic(h) ? ", minimised" : "") + ")");
                return;
            }
            if (!Check(!Topmost(h), name + ": left topmost")) return;
            if (!Check(WaitUntil([&] { return !HasTrayIcon(h); }, 3000), name + ": a tray icon left")) return;
            if (!Check(QueryTarget(h, kQueryLibraryRecords) == 0, name + ": the library still holds records of it"))
                return;
        }
        if (!Check(WaitUntil([&] { return !VisibleIconWindow(host_->Id()); }, 3000), "an icon window left")) return;
        LRESULT items = QueryTarget(windows_[0].handle, kQueryItems);
        if (!Check(((items >> 8) & 0xFF) == 0 && ((items >> 16) & 0xFF) == 0,
                   "extenders or icon windows left in the host: " + std::to_string((items >> 8) & 0xFF) + ", " +
                       std::to_string((items >> 16) & 0xFF)))
            return;
        if (!Check(QueryTarget(windows_[0].handle, kQueryLibraryHandles) <= handles_,
                   "more GDI objects, icons and menus than at the start"))
            return;
        QueryTarget(windows_[0].handle, kQueryEnd);
        Check(host_->Wait(10000) == 0, "the host program did not close its windows and end");
    }

    // --------------------------------------------------------------- steps

    void Step(TRandom& random) {
        // With the control center down, its start is drawn less: the host
        // and the user go on for a while without it.
        int e = center_ == TCenter::Up ? 2 : 1;
        switch (random.Weighted({5, 4, 5, 3, 1, 2, 1, 10, 5, 3 * e - 1, e, e, e - 1, e + 1, 2 * e})) {
        case 0: LayerOn(random); break;
        case 1: LayerOff(random); break;
        case 2: ArmReentry(random); break;
        case 3: ArmWait(random); break;
        case 4: ArmDestroy(random); break;
        case 5: LayerAfterAttach(random); break;
        case 6: Disarm(random); break;
        case 7: Apply(random, Pick(random), true); break;
        case 8: ClickIcons(random, false); break;
        case 9: Event(0); break;
        case 10: Event(1); break;
        case 11: Event(2); break;
        case 12: Event(4); break;
        case 13:
            if (sharper_ && center_ == TCenter::Up && variants_.Chance(40))
                CutOutAndBusyAtTheQuit(variants_);
            else
                BusyThenEvent(random);
            break;
        case 14:
            if (sharper_ && variants_.Chance(40))
                ActionMeetsTheNotice(variants_);
            else
                ClickThenEvent(random);
            break;
        }
    }

    TWindowSlot& Pick(TRandom& random) { return windows_[static_cast<std::size_t>(random.Below(kWindows))]; }
    // For what the host does: the windows an action hides are met more often.
    TWindowSlot& PickForHost(TRandom& random) {
        return random.Chance(40) ? windows_[static_cast<std::size_t>(random.Below(2))] : Pick(random);
    }

    LRESULT Ask(TWindowSlot& w, WPARAM query, LPARAM argument) { return QueryTarget(w.handle, query, argument); }

    static LPARAM Arming(int message, int when, int what, int count, int left) {
        return static_cast<LPARAM>((message + 1) | when << 8 | what << 12 | count << 16 | left << 20);
    }

    static std::vector<int> Slots(LRESULT bits) {
        std::vector<int> slots;
        for (int s = 0; bits > 0 && s < 16; ++s)
            if (bits & (LRESULT{1} << s)) slots.push_back(s);
        return slots;
    }

    // Few slots, so that the same ones go on and off again.
    void LayerOn(TRandom& random) {
        TWindowSlot& w = PickForHost(random);
        int slot = random.Below(4), kind = random.Weighted({4, 2, 2, 2});
        // Often one that was on before: a host subclassing again.
        std::vector<int> before = Slots(Ask(w, kQueryLayersOn, 0) >> 16);
        if (!before.empty() && random.Chance(50)) slot = before[random.Below(static_cast<int>(before.size()))];
        bool once = random.Chance(35);
        LRESULT done = Ask(w, kQueryLayerOn, slot | kind << 8 | (once ? 1 << 16 : 0));
        Note(std::string(w.rule->name) + ": its program puts layer " + std::to_string(slot) + " (" + kLayerKinds[kind] +
             (once ? ", saves what is below once" : "") + ") on top" + (done == 1 ? "" : " (refused)"));
    }

    // The top one (the order it came in backwards) or any that is on.
    void LayerOff(TRandom& random) {
        TWindowSlot& w = PickForHost(random);
        std::vector<int> slots = Slots(Ask(w, kQueryLayersOn, 0) & 0xFFFF);
        LPARAM slot = slots.empty() || random.Chance(40) ? kTopSlot : slots[random.Below(static_cast<int>(slots.size()))];
        LRESULT done = Ask(w, kQueryLayerOff, slot);
        Note(std::string(w.rule->name) + ": " +
             (slot == kTopSlot ? std::string("its top layer") : "its layer " + std::to_string(slot)) +
             " leaves, writing back what it saved" + (done == 1 ? "" : " (was not on)"));
    }

    void ArmReentry(TRandom& random) {
        TWindowSlot& w = PickForHost(random);
        int message = random.Below(4), when = random.Below(3);
        // Only where the minimise command is the rule's: elsewhere it would
        // leave the window minimised by its own program's doing.
        // Minimising is what the rule acts on: drawn most there.
        int reaction = HidesWithIcon(w.rule->action) ? random.Weighted({4, 1, 1, 2, 2}) : 1 + random.Below(4);
        int count = 1 + random.Below(2), left = 1 + random.Below(3);
        Ask(w, kQueryReenter, Arming(message, when, reaction, count, left));
        Note(std::string(w.rule->name) + ": inside " + kArmedMessages[message] + kWhen[when] + " its program " +
             kReactions[reaction] + (count == 2 ? " twice" : "") + ", " + std::to_string(left) + " time(s)");
        if (random.Chance(40)) Apply(random, w, true);
    }

    void ArmWait(TRandom& random) {
        TWindowSlot& w = PickForHost(random);
        int message = random.Below(4), when = random.Below(3), delay = random.Below(4), left = 1 + random.Below(2);
        Ask(w, kQueryWait, Arming(message, when, delay, 1, left));
        Note(std::string(w.rule->name) + ": inside " + kArmedMessages[message] + kWhen[when] +
             " its program waits on another thread (" + kWaitDelays[delay] + " ms), " + std::to_string(left) +
             " time(s)");
        // Often met right away by a click and an event close behind; an icon
        // is clicked too, the window hidden first.
        if (random.Chance(40)) {
            if (HidesWithIcon(w.rule->action) && IsWindowVisible(w.handle) && random.Chance(50)) Apply(random, w, true);
            if (failure_.empty()) ClickThenEvent(random, w);
        }
    }

    void ArmDestroy(TRandom& random) {
        TWindowSlot& w = PickForHost(random);
        int message = random.Below(4), when = random.Below(3);
        Ask(w, kQueryDestroy, Arming(message, when, 0, 1, 1));
        Note(std::string(w.rule->name) + ": inside " + kArmedMessages[message] + kWhen[when] +
             " its program destroys the window (a new one replaces it)");
    }

    void LayerAfterAttach(TRandom& random) {
        TWindowSlot& w = PickForHost(random);
        int kind = random.Chance(25) ? -1 : random.Weighted({2, 2, 2, 3});
        Ask(w, kQueryLayerAfterAttach, kind + 1);
        if (kind != 3) w.nullLayerAttaches = -1;
        else if (w.nullLayerAttaches < 0) w.nullLayerAttaches = 0;
        Note(std::string(w.rule->name) + ": " +
             (kind < 0 ? std::string("its program stops layering after attaches")
                       : std::string("after every attach its program puts a layer on top that ") + kLayerKinds[kind]));
    }

    void Disarm(TRandom& random) {
        TWindowSlot& w = PickForHost(random);
        Ask(w, kQueryReenter, 0);
        Ask(w, kQueryWait, 0);
        Ask(w, kQueryDestroy, 0);
        Note(std::string(w.rule->name) + ": its program stops re-entering, waiting and destroying");
    }

    // What a user does to run the window's action; `settle`: wait for what
    // follows (a box to answer, a maximised window to restore).
    void Apply(TRandom& random, TWindowSlot& w, bool settle) {
        HWND h = w.handle;
        std::string name = w.rule->name;
        if (!IsWindowVisible(h)) {
            ClickIcon(w, settle);
            return;
        }
        if (IsIconic(h)) {
            Note(name + ": the user restores it");
            ShowWindowAsync(h, SW_RESTORE);
            WaitUntil([&] { return !IsIconic(h); }, 2000);
        }
        SetForegroundWindow(h);
        WaitUntil([&] { return GetForegroundWindow() == h; }, 1000);
        Sleep(150);
        TAction action = w.rule->action;
        if (HidesWithIcon(action) && random.Chance(60)) {
            Note(name + ": the user clicks the minimise button");
            if (settle)
                Minimise(h);
            else
                Click(SystemButton(h, HTMINBUTTON));
        } else if (action == TAction::CloseQuery && random.Chance(50)) {
            Note(name + ": the user clicks the close button");
            Click(CloseButton(h));
        } else {
            Note(name + ": the user clicks its caption button");
            Click(Center(ExpectedButton(h)));
        }
        if (!settle) return;
        if (action == TAction::RunMode && WaitUntil([&] { return IsZoomed(h) != FALSE; }, 1500)) {
            Sleep(200);
            Click(SystemButton(h, HTMAXBUTTON));
            WaitUntil([&] { return !IsZoomed(h); }, 2000);
        }
        if (action == TAction::CloseQuery) {
            WaitUntil([&] { return FindMessageBox(host_->Id()) != nullptr; }, 1500);
            AnswerBoxes(random.Chance(50));
        }
        Sleep(150);
    }

    // A click on the icon of a hidden window; `expect`: it must bring the
    // window back (unless the host hides it again at once, as it was asked).
    void ClickIcon(TWindowSlot& w, bool expect) {
        HWND h = w.handle;
        std::string name = w.rule->name;
        POINT at{};
        // A window its program destroys meanwhile needs no way back: the one
        // that replaces it is looked at next.
        if (w.rule->action == TAction::Tray) {
            if (!FindTrayIcon(h, at)) {
                if (IsWindow(h)) Fail(name + ": hidden, and no tray icon to click");
                return;
            }
            Note(name + ": the user clicks its tray icon");
        } else if (w.rule->action == TAction::Edge) {
            HWND icon = VisibleIconWindow(host_->Id());
            if (!icon) {
                if (IsWindow(h)) Fail(name + ": hidden, and no icon window to click");
                return;
            }
            at = Center(WindowRectOf(icon));
            Note(name + ": the user clicks its icon window");
        } else {
            Fail(name + ": hidden, though its action never hides it");
            return;
        }
        // Asked before: the re-entry it may use up inside the click.
        LRESULT armed = Ask(w, kQueryArmed, 0);
        bool mayHideAgain = (armed & kArmedMinimise) || (armed & kArmedWait) || armed < 0;
        Click(at);
        if (!expect) return;
        // Destroyed by its program on the way back is back enough.
        bool back = WaitUntil([&] { return IsWindowVisible(h) != FALSE || !IsWindow(h); }, 3000);
        if (!back && !mayHideAgain) Fail(name + ": the click on its icon did not bring it back");
        Sleep(150);
    }

    // Every hidden window of an action that hides, from its icon.
    void ClickIcons(TRandom& random, bool all) {
        bool any = false;
        for (TWindowSlot& w : windows_) {
            if (IsWindowVisible(w.handle) || !HidesWithIcon(w.rule->action) || (!all && random.Chance(30))) continue;
            any = true;
            ClickIcon(w, true);
            if (!failure_.empty()) return;
        }
        if (!any && !all) Apply(random, Pick(random), true);
    }

    // 0 reload, 1 restart, 2 quit, 3 start, 4 kill; with the control center
    // down, any of them starts it.
    void Event(int kind) {
        if (center_ != TCenter::Up) kind = 3;
        switch (kind) {
        case 0: {
            Note("the configuration is reloaded");
            system_.WriteConfig(RandomConfig());
            if (!Check(SendCommand(CMD_RELOAD_CONFIG, {}, nullptr, 2000) == CMD_REPLY_DONE, "reload refused")) return;
            ExpectAttachedAnew();
            break;
        }
        case 1:
            Note("the control center restarts");
            if (!Check(system_.StopCenter() == 0, "the control center did not end well")) return;
            center_ = TCenter::Quit;
            [[fallthrough]];
        case 3:
            if (kind == 3) Note("the control center starts");
            if (!Check(system_.StartCenter(), "the control center did not start")) return;
            center_ = TCenter::Up;
            ExpectAttachedAnew();
            break;
        case 2:
            Note("the control center quits");
            if (!Check(system_.StopCenter() == 0, "the control center did not end well")) return;
            center_ = TCenter::Quit;
            ExpectWayBackAfterTheEnd();
            break;
        case 4:
            Note("the control center is killed");
            system_.KillCenter();
            center_ = TCenter::Killed;
            ExpectWayBackAfterTheEnd();
            break;
        }
    }

    void BusyThenEvent(TRandom& random) {
        DWORD ms = kBusyTimes[random.Weighted({3, 3, 2, 2})];
        int kind = random.Weighted({4, 2, 3, 2});
        Note("the host's thread is busy for " + std::to_string(ms) + " ms");
        MakeTargetBusy(windows_[0].handle, ms);
        busyUntil_ = GetTickCount() + ms + 50;
        Sleep(50);  // taken before the event comes
        Event(kind == 3 ? 4 : kind);
    }

    // A user's click and, close behind, an event: the event meets the
    // action inside its calls into the host.
    void ClickThenEvent(TRandom& random) { ClickThenEvent(random, Pick(random)); }

    void ClickThenEvent(TRandom& random, TWindowSlot& w) {
        DWORD gap = kOverlaps[random.Below(4)];
        int kind = random.Weighted({5, 2, 3, 2});
        Apply(random, w, false);
        Note(std::to_string(gap) + " ms later");
        Sleep(gap);
        Event(kind == 3 ? 4 : kind);
        AnswerBoxes(false);
    }

    // The user acts on a window (brings it back by its icon, hides it, rolls
    // it up, puts it on top) while its program waits on another thread
    // inside the action's call, and the control center's notice comes
    // meanwhile: the action is let go of inside its own call into the host,
    // an icon window's handler perhaps still running.
    void ActionMeetsTheNotice(TRandom& random) {
        TWindowSlot& w = windows_[static_cast<std::size_t>(random.Below(4))];
        std::string name = w.rule->name;
        bool back = HidesWithIcon(w.rule->action) && !IsWindowVisible(w.handle);
        // Often the way back by the icon, the window hidden first.
        if (HidesWithIcon(w.rule->action) && random.Chance(50)) {
            if (!back) Apply(random, w, true);
            if (!failure_.empty()) return;
            back = !IsWindowVisible(w.handle);
        }
        if (!IsWindow(w.handle) || (!back && IsIconic(w.handle))) {
            Note(name + ": not at hand");
            return;
        }
        int message = random.Weighted({3, 2, 2});
        const int when = back ? 2 : HidesWithIcon(w.rule->action) ? 1 : 0;
        Ask(w, kQueryWait, Arming(message, when, 3, 1, 1));
        Note(name + ": inside " + kArmedMessages[message] + kWhen[when] +
             " its program waits on another thread (500 ms), once");
        Apply(random, w, false);
        if (!failure_.empty()) return;
        DWORD gap = kOverlaps[random.Below(3)];
        Note(std::to_string(gap) + " ms later");
        Sleep(gap);
        Event(center_ != TCenter::Up ? 3 : random.Weighted({4, 2, 3}));
        AnswerBoxes(false);
    }

    // A rolled-up or topmost window whose program put its own procedure back
    // over the library's, the thread busy when the control center quits:
    // the notice reaches the window through the hook all the same, and the
    // quit leaves it unrolled and not on top.
    void CutOutAndBusyAtTheQuit(TRandom& random) {
        TWindowSlot& w = windows_[static_cast<std::size_t>(2 + random.Below(2))];
        const bool onTop = w.rule->action == TAction::OnTop;
        auto applied = [&] {
            HWND h = w.handle;
            return IsWindow(h) && (onTop ? Topmost(h) : !IsIconic(h) && RolledUp(h));
        };
        std::string name = w.rule->name;
        if (!applied() && IsWindowVisible(w.handle) && !IsIconic(w.handle)) Apply(random, w, true);
        if (!failure_.empty()) return;
        if (!WaitUntil(applied, 1000)) {
            Note(name + (onTop ? ": not on top" : ": not rolled up"));
            return;
        }
        Ask(w, kQueryCutOut, 0);
        Note(name + ": its program puts its own procedure back, cutting the library out of its chain");
        DWORD ms = kBusyTimes[random.Below(3)];
        Note("the host's thread is busy for " + std::to_string(ms) + " ms");
        MakeTargetBusy(windows_[0].handle, ms);
        busyUntil_ = GetTickCount() + ms + 50;
        Sleep(50);
        Event(2);
        if (!failure_.empty()) return;
        Check(WaitUntil([&] { return !applied(); }, 2000), name + (onTop ? ": left on top" : ": left rolled up") +
                                                                " by the quit");
    }

    // ----------------------------------------------------------- checking

    bool AllExtendedAnew() {
        for (TWindowSlot& w : windows_) {
            LRESULT id = QueryTarget(w.handle, kQueryExtended);
            if (id <= 0 || id == w.extender) return false;
        }
        for (TWindowSlot& w : windows_) {
            w.extender = QueryTarget(w.handle, kQueryExtended);
            if (w.nullLayerAttaches >= 0) ++w.nullLayerAttaches;
        }
        return true;
    }

    // Until the host is through what it was asked: its thread busy, and
    // what is in its queue (a layer it puts on after an attach, the end of a
    // wait inside a call, a minimise of its own) done, so that the checks
    // see where a step ends, not a moment inside a call.
    void WaitForTheHost() {
        LONG left = static_cast<LONG>(busyUntil_ - GetTickCount());
        if (left > 0) Sleep(static_cast<DWORD>(left));
        busyUntil_ = GetTickCount();
        for (TWindowSlot& w : windows_) {
            if (!IsWindow(w.handle)) continue;
            const WPARAM ping = ++pings_;
            PostMessageA(w.handle, kPingMessage, ping, 0);
            WaitUntil([&] { return static_cast<WPARAM>(QueryTarget(w.handle, kQueryLastPing)) >= ping; }, 5000);
            break;
        }
    }

    void ExpectAttachedAnew() {
        WaitForTheHost();
        AnswerBoxes(false);
        RefreshWindows();
        if (!failure_.empty()) return;
        if (WaitUntil([&] { return AllExtendedAnew(); }, 10000)) return;
        for (TWindowSlot& w : windows_)
            if (QueryTarget(w.handle, kQueryExtended) <= 0 || QueryTarget(w.handle, kQueryExtended) == w.extender) {
                Fail(std::string(w.rule->name) + ": no new extender after the attach notice (" + Records(w.handle) +
                     ")");
                return;
            }
    }

    // The control center ended: each window an action hid comes back once
    // its thread runs, or its icon brings it back.
    void ExpectWayBackAfterTheEnd() {
        WaitForTheHost();
        AnswerBoxes(false);
        RefreshWindows();
        for (TWindowSlot& w : windows_) {
            if (!failure_.empty()) return;
            HWND h = w.handle;
            if (WaitUntil([&] { return IsWindowVisible(h) != FALSE; }, center_ == TCenter::Quit ? 2000 : 300)) continue;
            ClickIcon(w, true);
        }
    }

    // The user answers every open message box of the host: Yes or No.
    void AnswerBoxes(bool yes) {
        for (int i = 0; i < 4; ++i) {
            HWND box = FindMessageBox(host_->Id());
            if (!box) return;
            HWND button = GetDlgItem(box, yes ? IDYES : IDNO);
            if (!button) button = GetDlgItem(box, IDCANCEL);
            if (!button) button = GetDlgItem(box, IDOK);
            if (!button) return;
            SetForegroundWindow(box);
            Sleep(100);
            Click(Center(WindowRectOf(button)));
            WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 2000);
        }
    }

    HWND WaitForHostWindow(const char* windowClass, DWORD ms) {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                std::vector<HWND> all = TopLevelWindows(windowClass, host_->Id());
                found = all.empty() ? nullptr : all.back();
                return found != nullptr;
            },
            ms);
        return found;
    }

    // A window its program destroyed is followed by the one that replaced it.
    void RefreshWindows() {
        for (TWindowSlot& w : windows_) {
            if (IsWindow(w.handle)) continue;
            HWND replaced = WaitForHostWindow(w.rule->windowClass, 3000);
            if (!replaced) {
                Fail(std::string(w.rule->name) + ": the window is gone, though its program did not destroy it");
                return;
            }
            Note(std::string(w.rule->name) + " was replaced");
            w.handle = replaced;
            w.extender = 0;
            w.nullLayerAttaches = -1;
        }
    }

    LRESULT TestRuns(TWindowSlot& w) {
        ++number_;
        SendMessageTimeoutA(w.handle, kTestMessage, number_, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        return QueryTarget(w.handle, kQueryTestRuns, static_cast<LPARAM>(number_));
    }

    std::string Records(HWND window) {
        LRESULT r = QueryTarget(window, kQueryRecordsApart);
        if (r < 0) return "no answer";
        return std::string(r & 0xFF ? "listed" : "not listed") + ", " + std::to_string((r >> 8) & 0xFF) +
               " rule text(s) waiting, " + std::to_string((r >> 16) & 0xFF) + " extender(s) in the host";
    }

    std::string Describe(HWND window) {
        std::string path = ModuleDir() + "random-host-chain.txt";
        DeleteFileA(path.c_str());
        ATOM atom = GlobalAddAtomA(path.c_str());
        QueryTarget(window, kQueryDescribe, atom);
        GlobalDeleteAtom(atom);
        std::ifstream in(path);
        std::string text;
        std::getline(in, text);
        return text;
    }

    void CheckInvariants() {
        WaitForTheHost();
        AnswerBoxes(false);
        if (!Check(host_->Wait(0) == STILL_ACTIVE, "the host program ended (exit code " +
                                                        std::to_string(host_->Wait(0)) + ")"))
            return;
        RefreshWindows();
        if (!failure_.empty()) return;
        for (TWindowSlot& w : windows_) {
            std::string name = w.rule->name;
            LRESULT runs = TestRuns(w);
            if (runs == -1) {
                // Destroyed by its program inside a call still running: gone by now.
                Sleep(500);
                RefreshWindows();
                if (!failure_.empty()) return;
                runs = TestRuns(w);
            }
            if (runs == -1)
                return void(Fail(name + ": no answer from the window (its thread hung, or the window is not its "
                                        "program's any more)"));
            if (runs != 1)
                return void(Fail(name + ": one send of a message did not run each of its procedures once (" +
                                 Describe(w.handle) + ")"));
        }
        LRESULT written = QueryTarget(windows_[0].handle, kQueryStopWatch);
        if (!Check(written <= 0, std::to_string(written) + " freed block(s) written to")) return;
        QueryTarget(windows_[0].handle, kQueryStartWatch);
        for (TWindowSlot& w : windows_) {
            if (IsWindowVisible(w.handle)) continue;
            std::string name = w.rule->name;
            bool wayBack = w.rule->action == TAction::Tray   ? WaitUntil([&] { return HasTrayIcon(w.handle); }, 1000)
                           : w.rule->action == TAction::Edge ? VisibleIconWindow(host_->Id()) != nullptr
                                                             : false;
            if (!Check(wayBack, name + ": hidden with no way back (no icon)")) return;
        }
        if (center_ != TCenter::Up) return;
        for (TWindowSlot& w : windows_) {
            std::string name = w.rule->name;
            HWND h = w.handle;
            if (!WaitUntil([&] { return QueryTarget(h, kQueryExtended) > 0; }, 3000))
                return void(Fail(name + ": not attached (" + Records(h) + ")"));
            if (QueryTarget(h, kQueryPlaced) != 1)
                return void(Fail(name + ": its extender holds no place in its chain (places in the host: " +
                                 std::to_string(QueryTarget(h, kQueryItems) & 0xFF) +
                                 (w.nullLayerAttaches >= 0 ? "; attaches since its program layers over each one, "
                                                             "swallowing WM_NULL: " +
                                                                 std::to_string(w.nullLayerAttaches)
                                                           : std::string()) +
                                 ")"));
        }
    }

    TSystemFolder& system_;
    std::uint64_t seed_;
    int steps_;
    int step_ = 0;
    int stepsRun_ = 0;
    std::string what_;
    std::vector<std::string> trail_;
    std::string failure_;
    WPARAM pings_ = 0;
    bool sharper_;
    TRandom variants_{0};
    std::unique_ptr<ChildProcess> host_;
    std::vector<TWindowSlot> windows_;
    TCenter center_ = TCenter::Quit;
    DWORD busyUntil_ = 0;
    LRESULT handles_ = 0;
    WPARAM number_ = 0;
};

std::string ReplayCommand(std::uint64_t seed, int steps, bool sharper) {
    return std::string(sharper ? "" : "VPW_RANDOM_PLAIN=1 ") + "VPW_RANDOM_SEED=" + std::to_string(seed) +
           " VPW_RANDOM_STEPS=" + std::to_string(steps) + " scripts/soak-random-host.sh";
}

TEST(RandomHost, NoHostBehaviourDrawnFromASeedBreaksTheInvariants) {
    TSystemFolder system(Bin(), RandomConfig(), Bin() + "watched\\");
    ASSERT_TRUE(system.Copied());
    std::vector<TSeedRun> seeds = SeedRuns();
    int failures = 0, stepsRun = 0;
    for (const auto& [seed, steps, sharper] : seeds) {
        DWORD start = GetTickCount();
        TRandomRun run(system, seed, steps, sharper);
        std::string failure = run.Run();
        stepsRun += run.StepsRun();
        if (failure.empty()) {
            std::printf("random host: seed %llu: %d steps passed (%lu ms)\n", static_cast<unsigned long long>(seed),
                        steps, GetTickCount() - start);
        } else {
            ++failures;
            std::string replay = ReplayCommand(seed, std::min(steps, run.StepsRun() + 1), sharper);
            for (const std::string& line : run.Trail()) std::printf("random host:   %s\n", line.c_str());
            std::printf("random host: %s\nrandom host: replay: %s\n", failure.c_str(), replay.c_str());
            ADD_FAILURE() << failure << "\nreplay: " << replay;
        }
        std::fflush(stdout);
    }
    std::printf("random host: %zu seeds, %d steps, %d failures\n", seeds.size(), stepsRun, failures);
}

}  // namespace
