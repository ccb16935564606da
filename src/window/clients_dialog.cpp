#include "window/clients_dialog.h"

#include <algorithm>
#include <unordered_set>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "util/ascii_case.h"
#include "window/qt_platform.h"
#include "window/text_format.h"

namespace korvid::window {
namespace {

enum TColumn { Host, Port, Name, ColumnCount };

std::string Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// What would cut the setting's text apart, or the file's line, elsewhere than meant.
bool Holds(std::string_view text, std::string_view separators)
{
    return std::any_of(text.begin(), text.end(), [&](char c) {
        return static_cast<unsigned char>(c) < 0x20 || separators.find(c) != std::string::npos;
    });
}

} // namespace

TClientListCheck CheckClientRows(const std::vector<TClientRow>& rows)
{
    TClientListCheck check;
    std::unordered_set<std::string> seen;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string host = Trimmed(rows[i].Host);
        std::string port = Trimmed(rows[i].Port);
        const std::string name = Trimmed(rows[i].Name);
        auto bad = [&](TColumn column, const char* key, std::string typed) {
            check.Text.clear();
            check.BadRow = static_cast<int>(i);
            check.BadColumn = column;
            check.ErrorKey = key;
            check.Typed = std::move(typed);
            return check;
        };
        if (host.empty() && name.empty())
            continue;
        if (port.empty())
            port = std::to_string(livenet::DefaultClientPort);
        if (host.empty() || Holds(host, ":,;=") || !livenet::ParseClientAddress(host))
            return bad(Host, "msgClientsBadHost", host);
        if (Holds(port, ",;=") || !livenet::ParseClientAddress("h:" + port))
            return bad(Port, "msgClientsBadPort", port);
        if (Holds(name, ",;"))
            return bad(Name, "msgClientsBadName", name);
        std::string entry = host + ":" + port;
        if (!name.empty())
            entry += "=" + name;
        // Read back as the page will read it: what is written is what is followed.
        const std::vector<livenet::TClientEntry> read = livenet::ParseClientList(entry);
        if (read.size() != 1 || !read.front().Address || read.front().Name != name)
            return bad(Host, "msgClientsBadHost", host);
        const livenet::TClientAddress& address = *read.front().Address;
        // Host names are not case-sensitive: two spellings would open two links to one client.
        std::string key = address.Text();
        std::transform(key.begin(), key.end(), key.begin(),
                       [](char c) { return util::LowerAscii(c); });
        if (!seen.insert(key).second)
            return bad(Host, "msgClientsTwice", address.Text());
        // The port as the page reads it: "08101" is written 8101.
        check.Text +=
            (check.Text.empty() ? "" : "; ") + address.Text() + (name.empty() ? "" : "=" + name);
    }
    return check;
}

std::vector<TClientRow> ClientRows(const std::vector<livenet::TClientEntry>& entries)
{
    std::vector<TClientRow> rows;
    for (const livenet::TClientEntry& entry : entries) {
        TClientRow& row = rows.emplace_back();
        row.Name = entry.Name;
        if (entry.Address) {
            row.Host = entry.Address->Host;
            row.Port = std::to_string(entry.Address->Port);
            continue;
        }
        // As written, so that the user sees what to mend.
        const std::string_view text = std::string_view(entry.Text).substr(0, entry.Text.find('='));
        const std::size_t colon = text.find(':');
        row.Host = Trimmed(text.substr(0, colon));
        if (colon != std::string_view::npos)
            row.Port = Trimmed(text.substr(colon + 1));
    }
    return rows;
}

TClientsDialog::TClientsDialog(const std::vector<livenet::TClientEntry>& entries, TLabel label,
                               std::function<void(const std::string& clients)> accepted,
                               QWidget* parent)
    : QDialog(parent), m_label(std::move(label)), m_accepted(std::move(accepted))
{
    setObjectName(QStringLiteral("frmClients"));
    auto text = [this](std::string_view key) { return FromUtf8(m_label(key)); };
    setWindowTitle(text("msgClientsTitle"));

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("tblClients"));
    m_table->setHorizontalHeaderLabels(
        {text("msgClientsHost"), text("msgClientsPort"), text("msgClientsName")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (const TClientRow& row : ClientRows(entries))
        AddRow(row);
    m_table->resizeColumnsToContents();
    m_table->setColumnWidth(Host, std::max(m_table->columnWidth(Host), 200));

    auto* add = new QPushButton(text("msgClientsAdd"), this);
    add->setObjectName(QStringLiteral("btnClientsAdd"));
    connect(add, &QPushButton::clicked, this, [this] {
        AddRow({{}, std::to_string(livenet::DefaultClientPort), {}});
        const int row = m_table->rowCount() - 1;
        m_table->setCurrentCell(row, Host);
        m_table->editItem(m_table->item(row, Host));
    });
    auto* remove = new QPushButton(text("msgClientsRemove"), this);
    remove->setObjectName(QStringLiteral("btnClientsRemove"));
    connect(remove, &QPushButton::clicked, this, [this] { RemoveSelectedRows(); });
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch(1);

    // How a client elsewhere lets Korvid in; the commands can be copied from here.
    auto* help = new QLabel(this);
    help->setObjectName(QStringLiteral("lblClientsHelp"));
    help->setTextFormat(Qt::PlainText);
    help->setWordWrap(true);
    help->setTextInteractionFlags(Qt::TextSelectableByMouse);
    help->setText(text("msgClientsHelpLocal") + "\n\n" + text("msgClientsHelpRemote") + "\n\n" +
                  text("msgClientsHelpTunnel"));

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("lblClientsError"));
    m_error->setTextFormat(Qt::PlainText);
    m_error->setWordWrap(true);
    QPalette palette = m_error->palette();
    palette.setColor(QPalette::WindowText, Qt::darkRed);
    m_error->setPalette(palette);
    m_error->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("btnClientsOk"));
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("btnClientsCancel"));
    // A language file older than these keys keeps Qt's own texts rather than blank buttons.
    for (auto [button, key] : {std::pair{ok, "msgClientsOk"}, {cancel, "msgClientsCancel"}})
        if (const std::string caption = m_label(key); !caption.empty())
            button->setText(FromUtf8(caption));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Check(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(rowButtons);
    layout->addWidget(help);
    layout->addWidget(m_error);
    layout->addWidget(buttons);
    resize(640, 520);
}

void TClientsDialog::AddRow(const TClientRow& row)
{
    const int at = m_table->rowCount();
    m_table->insertRow(at);
    m_table->setItem(at, Host, new QTableWidgetItem(FromUtf8(row.Host)));
    m_table->setItem(at, Port, new QTableWidgetItem(FromUtf8(row.Port)));
    m_table->setItem(at, Name, new QTableWidgetItem(FromUtf8(row.Name)));
}

void TClientsDialog::RemoveSelectedRows()
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.rbegin(), rows.rend());
    for (const int row : rows)
        m_table->removeRow(row);
}

void TClientsDialog::Check()
{
    std::vector<TClientRow> rows;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        auto cell = [&](int column) {
            const QTableWidgetItem* item = m_table->item(r, column);
            return item == nullptr ? std::string() : ToUtf8(item->text());
        };
        rows.push_back({cell(Host), cell(Port), cell(Name)});
    }
    const TClientListCheck check = CheckClientRows(rows);
    if (check.BadRow >= 0) {
        m_error->setText(
            FromUtf8(FormatText(m_label(check.ErrorKey), {check.BadRow + 1LL, check.Typed})));
        m_error->show();
        m_table->setCurrentCell(check.BadRow, check.BadColumn);
        return;
    }
    m_accepted(check.Text);
    accept();
}

} // namespace korvid::window
