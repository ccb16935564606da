#include "client_log_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "generator_parts.h"

namespace korvid::loggen {
namespace {

using parts::TRandom;

struct TClientProject {
    int Number;
    int Core;
    int Steps;
    int FrameSeconds; // one percent
};

constexpr TClientProject Projects[] = {
    {13001, 0x17, 5000000, 350}, {9207, 0x21, 2000000, 140}, {14576, 0x22, 1250000, 95},
    {8673, 0xa7, 250000, 1250},  {16999, 0xa8, 500000, 900}, {13424, 0x22, 2500000, 210},
};

struct TSlot {
    int Number = 0;
    int Id = -1; // the unit's id, -1 while the slot waits for one
    int UnitsBegun = 0;
    const TClientProject* Project = nullptr;
    int Run = 0, Clone = 0, Gen = 0;
    int Frame = 0;
    long long Next = 0; // when the slot writes again, in seconds of the log
    bool Done = false;  // no more units
};

class TClientWriter {
public:
    explicit TClientWriter(const TLogOptions& options)
        : m_options(options), m_v8(options.Dialect == TDialect::V8), m_random(options.Seed)
    {
        m_at.Year = options.StartYear;
        m_at.Seconds = 9 * 3600 + 13 * 60 + 7;
        m_slots.resize(static_cast<std::size_t>(std::clamp(options.Slots, 1, 9)));
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            m_slots[i].Number = static_cast<int>(i);
            m_slots[i].Next = 5 + 7 * static_cast<long long>(i);
        }
    }

    std::string Run()
    {
        StartClient();
        for (;;) {
            TSlot* slot = nullptr;
            for (TSlot& s : m_slots)
                if (!s.Done && (slot == nullptr || s.Next < slot->Next))
                    slot = &s;
            if (slot == nullptr)
                break;
            AdvanceTo(slot->Next);
            if (slot->Id < 0) {
                if (m_unitsBegun == m_options.Units) {
                    slot->Done = true;
                    continue;
                }
                Begin(*slot);
            } else if (!Step(*slot)) {
                break; // the last unit is still running
            }
        }
        return std::move(m_text);
    }

private:
    void AdvanceTo(long long when)
    {
        if (when <= m_now)
            return;
        const bool midnight = m_at.Advance(static_cast<int>(when - m_now));
        m_now = when;
        if (!midnight)
            return;
        char text[96];
        // v8 starts a new log.txt each day; read after the rotated ones it looks like this.
        if (m_v8)
            std::snprintf(text, sizeof text, "Log Rotated %04d-%02d-%02dT00:00:00Z", m_at.Year,
                          m_at.Month, m_at.Day);
        else
            std::snprintf(text, sizeof text, "Date: %04d-%02d-%02d", m_at.Year, m_at.Month,
                          m_at.Day);
        Banner(text, m_v8 ? 23 : 31);
    }

    void Banner(std::string_view text, int stars)
    {
        m_text.append(static_cast<std::size_t>(stars), '*');
        m_text += ' ';
        m_text += text;
        m_text += ' ';
        m_text.append(static_cast<std::size_t>(stars), '*');
        m_text += '\n';
    }

    void Stamp()
    {
        char text[32];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d:", m_at.Seconds / 3600,
                      m_at.Seconds / 60 % 60, m_at.Seconds % 60);
        m_text += text;
    }

    // A line of the client itself.
    void Line(std::string_view body)
    {
        Stamp();
        if (m_v8)
            m_text += "I1:";
        m_text += body;
        m_text += '\n';
    }

    // A line about a slot's unit; core lines carry the core's code in v7.
    void UnitLine(const TSlot& slot, std::string_view body, bool core = false)
    {
        char text[32];
        Stamp();
        if (m_v8)
            std::snprintf(text, sizeof text, "I1:WU%d:", slot.Id);
        else if (core)
            std::snprintf(text, sizeof text, "WU%02d:FS%02d:0x%02x:", slot.Id, slot.Number,
                          slot.Project->Core);
        else
            std::snprintf(text, sizeof text, "WU%02d:FS%02d:", slot.Id, slot.Number);
        m_text += text;
        m_text += body;
        m_text += '\n';
    }

    std::string IsoNow() const
    {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", m_at.Year, m_at.Month,
                      m_at.Day, m_at.Seconds / 3600, m_at.Seconds / 60 % 60, m_at.Seconds % 60);
        return text;
    }

    void StartClient()
    {
        Banner("Log Started " + IsoNow(), 23);
        Line("************************* Folding@home Client *************************");
        Line(m_v8 ? "      Version: 8.3.18" : "      Version: 7.4.4");
        Line("     Platform: win32 10");
        Line("          CPU: Intel(R) Core(TM) i7-4770K CPU @ 3.50GHz");
        Line("     CPU Cores: 8");
        Line("***********************************************************************");
        Line(m_v8 ? "Default:Added new work unit: cpus:4 gpus:" : "Trying to access database...");
        Line(m_v8 ? "Connecting to api.foldingathome.org" : "Successfully acquired database lock");
    }

    int FrameSeconds(const TSlot& slot)
    {
        double seconds = slot.Project->FrameSeconds * (0.97 + 0.06 * m_random.Unit());
        if (m_random.Chance(2))
            seconds *= 1.5 + m_random.Unit();
        return static_cast<int>(std::lround(seconds));
    }

    void Progress(TSlot& slot)
    {
        char text[96];
        std::snprintf(text, sizeof text, "Completed %d out of %d steps (%d%%)",
                      slot.Project->Steps / 100 * slot.Frame, slot.Project->Steps, slot.Frame);
        UnitLine(slot, text, true);
    }

    void Identity(const TSlot& slot, char (&text)[160]) const
    {
        std::snprintf(text, sizeof text, "Project: %d (Run %d, Clone %d, Gen %d)",
                      slot.Project->Number, slot.Run, slot.Clone, slot.Gen);
    }

    // The client runs the core and the core names its unit.
    void RunCore(TSlot& slot)
    {
        char text[160];
        UnitLine(slot, "Starting");
        std::snprintf(text, sizeof text,
                      "Running FahCore: C:/ProgramData/FAHClient/cores/FahCore_%02x.exe -dir %02d "
                      "-suffix 01",
                      slot.Project->Core, slot.Id);
        UnitLine(slot, text);
        std::snprintf(text, sizeof text, "Started FahCore on PID %d", 1000 + m_random.Below(60000));
        UnitLine(slot, text);
        if (!m_v8) {
            std::snprintf(text, sizeof text, "FahCore 0x%02x started", slot.Project->Core);
            UnitLine(slot, text);
        }
        UnitLine(slot,
                 "*********************** Log Started " + IsoNow() + " ***********************",
                 true);
        if (m_v8) {
            std::snprintf(text, sizeof text, "       Type: 0x%02x", slot.Project->Core);
            UnitLine(slot, text, true);
        }
        Identity(slot, text);
        UnitLine(slot, text, true);
        UnitLine(slot, "Digital signatures verified", true);
        Progress(slot);
        slot.Next = m_now + 60 + FrameSeconds(slot);
    }

    void Begin(TSlot& slot)
    {
        slot.Id = m_v8 ? ++m_lastId : slot.Number * 2 + slot.UnitsBegun % 2;
        ++slot.UnitsBegun;
        ++m_unitsBegun;
        m_lastBegun = &slot;
        slot.Project = &Projects[m_random.Below(static_cast<int>(std::size(Projects)))];
        slot.Run = m_random.Below(5000);
        slot.Clone = m_random.Below(200);
        slot.Gen = m_random.Below(400);
        slot.Frame = 0;
        char text[200];
        if (m_v8) {
            UnitLine(slot, "Requesting WU assignment for user Korvid_Demo team 32");
            UnitLine(slot, "Downloading WU");
            std::snprintf(text, sizeof text, "Received WU P%d R%d C%d G%d", slot.Project->Number,
                          slot.Run, slot.Clone, slot.Gen);
        } else {
            UnitLine(slot, "Connecting to assign1.foldingathome.org:8080");
            UnitLine(slot, "Downloading 4.84MiB");
            UnitLine(slot, "Download complete");
            std::snprintf(text, sizeof text,
                          "Received Unit: id:%02d state:DOWNLOAD error:NO_ERROR project:%d run:%d "
                          "clone:%d gen:%d core:0x%02x unit:0x0000005a538b3db7530fe927a5df335f",
                          slot.Id, slot.Project->Number, slot.Run, slot.Clone, slot.Gen,
                          slot.Project->Core);
        }
        UnitLine(slot, text);
        RunCore(slot);
    }

    // False when the log ends here, inside its last unit.
    bool Step(TSlot& slot)
    {
        ++slot.Frame;
        Progress(slot);
        if (m_options.UnfinishedLast && m_unitsBegun == m_options.Units && m_lastBegun == &slot &&
            slot.Frame == 33)
            return false;
        const bool bad = slot.Frame == 3 && m_random.Chance(2);
        if (slot.Frame == 100 || bad) {
            Finish(slot, bad);
            return true;
        }
        if (m_options.Restarts && m_random.Chance(1) && m_random.Chance(20)) {
            RestartClient();
            return true;
        }
        slot.Next = m_now + FrameSeconds(slot);
        return true;
    }

    void Finish(TSlot& slot, bool bad)
    {
        if (bad) {
            UnitLine(slot, "ERROR:Simulation became unstable", true);
            UnitLine(slot, m_v8 ? "Core returned BAD_WORK_UNIT (114)"
                                : "FahCore returned: BAD_WORK_UNIT (114 = 0x72)");
        } else {
            UnitLine(slot, "Folding@home Core Shutdown: FINISHED_UNIT", true);
            UnitLine(slot, m_v8 ? "Core returned FINISHED_UNIT (100)"
                                : "FahCore returned: FINISHED_UNIT (100 = 0x64)");
        }
        AdvanceTo(m_now + 2);
        if (m_v8) {
            UnitLine(slot, "Uploading WU results");
            UnitLine(slot, "Credited");
            Stamp();
            m_text += "D3:WU" + std::to_string(slot.Id) + ":Cleaning WU\n";
        } else {
            UnitLine(slot, "Sending unit results: id:00 state:SEND error:NO_ERROR");
            if (m_random.Chance(10)) {
                Stamp();
                char text[64];
                std::snprintf(text, sizeof text, "WARNING:WU%02d:FS%02d:", slot.Id, slot.Number);
                m_text += text;
                m_text += "Failed to send results, will try again later\n";
            }
            UnitLine(slot, "Upload complete");
            UnitLine(slot, "Server responded WORK_ACK (400)");
            UnitLine(slot, "Final credit estimate, 2514.00 points");
            UnitLine(slot, "Cleaning up");
        }
        slot.Id = -1;
        slot.Next = m_now + 20 + m_random.Below(100);
    }

    // Every running core is interrupted; after the restart each unit goes on from its
    // checkpoint, which logs its last frame again.
    void RestartClient()
    {
        Line("Caught signal SIGINT(2) on PID 4242");
        Line("Exiting, please wait. . .");
        for (TSlot& slot : m_slots)
            if (slot.Id >= 0)
                UnitLine(slot, m_v8 ? "Core returned INTERRUPTED (102)"
                                    : "FahCore returned: INTERRUPTED (102 = 0x66)");
        Line("Clean exit");
        AdvanceTo(m_now + 600 + m_random.Below(4000));
        StartClient();
        for (TSlot& slot : m_slots) {
            if (slot.Id >= 0)
                RunCore(slot);
            else
                slot.Next = std::max(slot.Next, m_now + 10);
        }
    }

    const TLogOptions& m_options;
    const bool m_v8;
    TRandom m_random;
    parts::TCalendar m_at;
    long long m_now = 0;
    std::vector<TSlot> m_slots;
    std::string m_text;
    int m_unitsBegun = 0;
    int m_lastId = 0;
    const TSlot* m_lastBegun = nullptr;
};

} // namespace

std::string GenerateClientLog(const TLogOptions& options)
{
    return TClientWriter(options).Run();
}

} // namespace korvid::loggen
