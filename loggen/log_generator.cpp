#include "log_generator.h"

#include "client_log_generator.h"
#include "generator_parts.h"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace korvid::loggen {
namespace {

using parts::TRandom;

constexpr const char* MonthNames[] = {"January",   "February", "March",    "April",
                                      "May",       "June",     "July",     "August",
                                      "September", "October",  "November", "December"};

enum class TKind { Gromacs, Amber, Tinker, QMD };

struct TProject {
    int Number;
    TKind Kind;
    const char* Core; // the two characters after FahCore_
    const char* Protein;
    int FrameSeconds;
};

constexpr TProject Projects[] = {
    {6316, TKind::Gromacs, "78", "p6316_sh3_with_ALA_frags", 780},
    {6314, TKind::Gromacs, "78", "p6314_sh3_with_ALA_frags", 770},
    {2665, TKind::Gromacs, "78", "p2665_Rbc_ALA", 1190},
    {10019, TKind::Amber, "82", "p10019_IL2R", 1530},
    {4456, TKind::Gromacs, "78", "p4456_Protein_L", 640},
    {1765, TKind::Tinker, "65", "p1765_BBA5_tinker", 95},
    {5113, TKind::Gromacs, "79", "p5113_DGromacs_fip35", 1020},
    {3124, TKind::QMD, "96", "p3124_qmd_water", 410},
    {6501, TKind::Gromacs, "7a", "p6501_GB_villin", 350},
};

class TWriter {
public:
    TWriter(const TLogOptions& options) : m_options(options), m_random(options.Seed)
    {
        m_at.Year = options.StartYear;
        m_at.Seconds = 9 * 3600 + 13 * 60 + 7;
    }

    std::string Run()
    {
        OpeningHeader();
        for (int unit = 0; unit < m_options.Units; ++unit) {
            const bool last = unit == m_options.Units - 1;
            if (m_options.OutdatedCores && m_random.Chance(3))
                OutdatedAttempt();
            Unit(last && m_options.UnfinishedLast);
        }
        return std::move(m_text);
    }

private:
    void Advance(int seconds) { m_at.Advance(seconds); }

    void Stamp()
    {
        char text[32];
        std::snprintf(text, sizeof text, "[%02d:%02d:%02d] ", m_at.Seconds / 3600,
                      m_at.Seconds / 60 % 60, m_at.Seconds % 60);
        m_text += text;
    }

    void Line(std::string_view body)
    {
        Stamp();
        m_text += body;
        m_text += "\r\n";
    }

    void Plain(std::string_view body)
    {
        m_text += body;
        m_text += "\r\n";
    }

    std::string DateText(bool utc) const
    {
        char text[64];
        std::snprintf(text, sizeof text, "[%s %d %02d:%02d:%02d%s]", MonthNames[m_at.Month - 1],
                      m_at.Day, m_at.Seconds / 3600, m_at.Seconds / 60 % 60, m_at.Seconds % 60,
                      utc ? " UTC" : "");
        return text;
    }

    void OpeningHeader()
    {
        Plain("");
        Plain("--- Opening Log file " + DateText(true));
        Plain("");
        Plain("# Windows CPU Console Edition #################################################");
        Plain("###############################################################################");
        Plain("");
        Plain("                       Folding@Home Client Version 5.04beta");
        Plain("");
        Plain("                          http://folding.stanford.edu");
        Plain("");
        Plain("###############################################################################");
        Plain("");
        Plain("Launch directory: C:\\FAH");
        Plain("");
        Line("- Ask before connecting: No");
        Line("- User name: Korvid_Demo (Team 32)");
        Line("- User ID: 5A3C19E07F2B44D1");
        Line("- Machine ID: 2");
        Line("");
        Line("Loaded queue successfully.");
    }

    void CoreStart(const TProject& project, int slot)
    {
        Line("");
        Line("+ Processing work unit");
        Line(std::string("Core required: FahCore_") + project.Core + ".exe");
        Line("Core found.");
        char text[96];
        std::snprintf(text, sizeof text, "Working on Unit %02d ", slot);
        Line(text + DateText(false));
        Line("+ Working ...");
        Line("");
        Line("*------------------------------*");
        switch (project.Kind) {
        case TKind::Gromacs:
            Line("Folding@Home Gromacs Core");
            Line("Version 1.90 (March 8, 2006)");
            break;
        case TKind::Amber:
            Line("Folding@Home Amber Core");
            Line("Version 5.02 (Apr 24, 2008)");
            break;
        case TKind::Tinker:
            Line("Folding@Home Tinker Core");
            Line("Version 4.00 (Jan 2, 2005)");
            Line("TINKER: Software Tools for Molecular Design");
            break;
        case TKind::QMD:
            Line("Folding@Home QMD Core");
            Line("Version 1.05 (Sep 14, 2006)");
            break;
        }
        Line("");
        Line("Preparing to commence simulation");
        Line("- Looking at optimizations...");
        Line("- Files status OK");
        Advance(1);
        std::snprintf(text, sizeof text, "- Expanded %d -> %d (decompressed %d.%d percent)",
                      400000 + m_random.Below(90000), 2200000 + m_random.Below(90000),
                      480 + m_random.Below(10), m_random.Below(10));
        Line(text);
        Advance(3);
        Line("");
    }

    std::string ProteinName(const TProject& project)
    {
        std::string name = project.Protein;
        if (m_options.HighBytes && m_random.Chance(30))
            name += "_\xE9t\xE9\xA0\xFF";
        return name;
    }

    void UnitIdentity(const TProject& project, int run, int clone, int gen)
    {
        char text[128];
        if (project.Kind == TKind::Tinker) {
            std::snprintf(text, sizeof text, "- Run: %d (Clone %d, Gen %d)", run, clone, gen);
            Line(text);
            Line("Protein: " + ProteinName(project));
            Line("- Frames Completed: 0, Remaining: 100");
            return;
        }
        std::snprintf(text, sizeof text, "Project: %d (Run %d, Clone %d, Gen %d)", project.Number,
                      run, clone, gen);
        Line(text);
        Line("");
        Line("Assembly optimizations on if available.");
        Line("Entering M.D.");
        Advance(20);
        if (project.Kind == TKind::QMD)
            Line("System: " + ProteinName(project));
        else
            Line("Protein: " + ProteinName(project));
        Line("");
    }

    void Progress(const TProject& project, int frame, int frames)
    {
        char text[128];
        if (project.Kind == TKind::Tinker) {
            std::snprintf(text, sizeof text, "Finished a frame (%d)", frame);
            Line(text);
            return;
        }
        const int steps = 500000;
        Line("Writing local files");
        std::snprintf(text, sizeof text, "Completed %d out of %d steps  (%d%%)",
                      steps / frames * frame, steps, frame * 100 / frames);
        Line(text);
    }

    int FrameSeconds(const TProject& project)
    {
        double seconds = project.FrameSeconds * (0.97 + 0.06 * m_random.Unit());
        if (m_random.Chance(2))
            seconds *= 1.5 + m_random.Unit(); // the machine was busy
        return static_cast<int>(std::lround(seconds));
    }

    void OutdatedAttempt()
    {
        const TProject& project = Projects[0];
        CoreStart(project, m_slot);
        Line("Project: 6316 (Run 1, Clone 2, Gen 3)");
        Line("Folding@home Core Shutdown: CORE_OUTDATED");
        Advance(5);
        Line("- Core is outdated, downloading a new one");
        Advance(40);
    }

    void Restart()
    {
        Line("Folding@home Core Shutdown: INTERRUPTED");
        Advance(2);
        Line("***** Got a SIGTERM signal (2)");
        Line("Killing all core threads");
        Plain("");
        Plain("Folding@Home Client Shutdown.");
        Advance(600 + m_random.Below(4000));
        OpeningHeader();
    }

    void Unit(bool unfinished)
    {
        const TProject& project = Projects[m_random.Below(static_cast<int>(std::size(Projects)))];
        const int run = m_random.Below(1000);
        const int clone = m_random.Below(100);
        const int gen = m_random.Below(200);
        const int frames = m_options.FramesPerUnit;
        const int lastFrame = unfinished ? frames / 3 : frames;
        m_slot = (m_slot + 1) % 10;

        CoreStart(project, m_slot);
        UnitIdentity(project, run, clone, gen);
        const bool converging = project.Kind == TKind::QMD;
        Progress(project, 0, frames);
        for (int frame = 1; frame <= lastFrame; ++frame) {
            Advance(FrameSeconds(project));
            Progress(project, frame, frames);
            if (converging && frame == 4)
                Line("WF converged, jumping to MD");
            if (m_options.Restarts && frame < lastFrame && m_random.Chance(1)) {
                Restart();
                CoreStart(project, m_slot);
                UnitIdentity(project, run, clone, gen);
                Line("(Starting from checkpoint)");
                Progress(project, frame, frames); // the checkpoint's frame, logged again
            }
        }
        if (unfinished)
            return;
        Line("Writing final coordinates.");
        Line("Past main M.D. loop");
        Advance(60);
        Line("");
        Line("Finished Work Unit:");
        Line("Leaving Run");
        Advance(4);
        Line("- Writing 6616618 bytes of core data to disk...");
        Line("  ... Done.");
        Line("- Shutting down core");
        Line("");
        Line("Folding@home Core Shutdown: FINISHED_UNIT");
        Advance(4);
        Line("CoreStatus = 64 (100)");
        Line("Sending work to server");
        char text[128];
        std::snprintf(text, sizeof text, "Project: %d (Run %d, Clone %d, Gen %d)", project.Number,
                      run, clone, gen);
        Line(text);
        Plain("");
        Plain("");
        Line("+ Attempting to send results " + DateText(true));
        Advance(20);
        Line("+ Results successfully sent");
        Line("Thank you for your contribution to Folding@Home.");
        Plain("");
        Line("- Preparing to get new work unit...");
        Line("+ Attempting to get work packet");
        Line("- Connecting to assignment server");
        Advance(3);
        Line("Loaded queue successfully.");
        Line("+ Closed connections");
    }

    const TLogOptions& m_options;
    TRandom m_random;
    std::string m_text;
    parts::TCalendar m_at;
    int m_slot = 0;
};

} // namespace

std::string GenerateLog(const TLogOptions& options)
{
    if (options.Dialect != TDialect::V6)
        return GenerateClientLog(options);
    return TWriter(options).Run();
}

int UnitsForBytes(std::size_t bytes, const TLogOptions& options)
{
    TLogOptions sample = options;
    sample.Units = 50;
    const std::size_t per = GenerateLog(sample).size() / 50;
    return static_cast<int>(bytes / (per == 0 ? 1 : per)) + 1;
}

} // namespace korvid::loggen
