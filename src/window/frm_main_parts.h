// What the files of TfrmMain share and nothing else needs.
#pragma once

#include <QString>

#include "window/busy.h"
#include "window/frm_main.h"

namespace korvid::window {

inline constexpr const char* FormName = "frmMain";

template <class F> void TfrmMain::Run(const QString& command, F&& work)
{
    // Nothing may cross Qt's event loop: what ends a command is shown and the window goes on.
    try {
        work();
    } catch (...) {
        ShowFailure(command);
    }
}

template <class F> void TfrmMain::RunBusy(const QString& command, F&& work)
{
    Run(command, [&] {
        const TBusyCursor busy;
        work();
    });
}

} // namespace korvid::window
