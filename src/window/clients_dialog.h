#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QDialog>

#include "livenet/client_address.h"

class QLabel;
class QTableWidget;

namespace korvid::window {

// One line of the clients dialog, as typed.
struct TClientRow {
    std::string Host;
    std::string Port;
    std::string Name;
};

// The setting's text for the rows, or the first row that names no client and why.
struct TClientListCheck {
    std::string Text;     // "host:port[=name]; ...", when every row is good
    int BadRow = -1;      // -1: none
    int BadColumn = 0;    // where the fault was typed
    std::string ErrorKey; // its message: %d the line (from 1), %s what was typed
    std::string Typed;
};

// A row left blank is skipped; an empty port is the client's own.
[[nodiscard]] TClientListCheck CheckClientRows(const std::vector<TClientRow>& rows);
// What the dialog shows of the setting's entries, those that name no client included.
[[nodiscard]] std::vector<TClientRow> ClientRows(const std::vector<livenet::TClientEntry>& entries);

// Adds, renames and removes the clients the live page follows. Accepted only when every line
// names a client; the setting's new text goes to whoever keeps it.
class TClientsDialog final : public QDialog {
public:
    using TLabel = std::function<std::string(std::string_view key)>;
    TClientsDialog(const std::vector<livenet::TClientEntry>& entries, TLabel label,
                   std::function<void(const std::string& clients)> accepted, QWidget* parent);

private:
    void AddRow(const TClientRow& row);
    void RemoveSelectedRows();
    void Check();

    TLabel m_label;
    std::function<void(const std::string&)> m_accepted;
    QTableWidget* m_table = nullptr;
    QLabel* m_error = nullptr;
};

} // namespace korvid::window
