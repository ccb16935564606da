// What the files of TfrmMain share and nothing else needs.
#pragma once

#include <exception>

#include "window/busy.h"
#include "window/frm_main.h"

namespace korvid::window {

inline constexpr const char* FormName = "frmMain";

template <class F> void TfrmMain::Run(F&& work)
{
    // Nothing may cross Qt's event loop: what ends a command is shown and the window goes on.
    try {
        work();
    } catch (const std::exception& e) {
        m_messages.ShowError(e.what());
    }
}

template <class F> void TfrmMain::RunBusy(F&& work)
{
    Run([&] {
        const TBusyCursor busy;
        work();
    });
}

} // namespace korvid::window
