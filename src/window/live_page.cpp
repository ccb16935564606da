#include "window/live_page.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <variant>

#include <QHeaderView>
#include <QHBoxLayout>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "util/duration_words.h"
#include "window/live_column_widths.h"
#include "window/live_model.h"
#include "window/live_table.h"
#include "window/live_unit_shown.h"
#include "window/text_format.h"
#include "window/wu_images.h"
#include "window/wu_tree.h"

namespace korvid::window {
namespace {

enum TColumn {
    Machine,
    Group,
    Unit,
    Project,
    Core,
    Status,
    Progress,
    Tpf,
    Eta,
    Ppd,
    Credit,
    Deadline
};

constexpr const char* HeaderKeys[] = {"msgLiveMachine",  "msgLiveGroup",  "msgLiveUnit",
                                      "msgProject",      "msgCore",       "msgLiveStatus",
                                      "msgLiveProgress", "msgLiveTpf",    "msgLiveEta",
                                      "msgLivePpd",      "msgLiveCredit", "msgLiveDeadline"};
constexpr int Columns = static_cast<int>(std::size(HeaderKeys));
constexpr double SecondsPerDay = 86'400;

QString Text(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Whole(double value)
{
    return std::isfinite(value) ? QString::number(std::llround(value)) : QStringLiteral("?");
}

QString Number(long long value)
{
    return value < 0 ? QStringLiteral("?") : QString::number(value);
}

// What a column sorts by: numbers as numbers, the rest as the text shown.
using TSortKey = std::variant<double, std::string>;

TSortKey SortKey(const live::TUnitView& unit, int column)
{
    switch (column) {
    case Group:
        return unit.Group;
    case Unit:
        return static_cast<double>(unit.Number);
    case Project:
        return unit.Project * 1e12 + unit.Run * 1e8 + unit.Clone * 1e4 + unit.Gen;
    case Core:
        return static_cast<double>(unit.Core);
    case Status:
        return unit.Status;
    case Progress:
        return unit.Progress;
    case Tpf:
        return unit.TpfSeconds;
    case Eta:
        return unit.EtaSeconds.value_or(-1);
    case Ppd:
        return unit.Ppd;
    case Credit:
        return static_cast<double>(unit.BaseCredit);
    case Deadline:
        return unit.Deadline;
    default:
        return 0.0;
    }
}

} // namespace

TLivePage::TLivePage(const TLiveSeams& seams, QWidget* parent)
    : QWidget(parent), m_seams(seams), m_watch(m_seams.Label)
{
    std::vector<bool> right(Columns, false);
    for (const int column : {Unit, Progress, Tpf, Eta, Ppd, Credit})
        right[column] = true;
    m_model = new TLiveModel(Headers(), std::move(right), WUImages(), this);
    m_ticker = m_seams.Timers.MakeTimer([this] { Tick(); });
    m_table = new TLiveTable(this);
    m_table->setObjectName(QStringLiteral("tvLive"));
    m_table->setModel(m_model);
    WatchSelection();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // Units sort within their machine; the machines keep the setting's order.
    m_table->horizontalHeader()->setSortIndicatorShown(true);
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(m_table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) { SortBy(column, order); });
    // Widths follow the texts when lines come, not on every update: a farm updates often.
    new TLiveColumnWidths(*m_table);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // A bar as the other pages have; its button is captioned by the language, as they are.
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pnlLive"));
    bar->setFixedHeight(24);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    m_clientsButton = new QToolButton(bar);
    m_clientsButton->setObjectName(QStringLiteral("sbLiveClients"));
    m_clientsButton->setAutoRaise(true);
    m_clientsButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_clientsButton->setFocusPolicy(Qt::NoFocus);
    barLayout->addWidget(m_clientsButton);
    barLayout->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_table);
}

TLivePage::~TLivePage()
{
    // The links call back into the page while they close.
    for (TClient& client : m_clients)
        if (client.Link)
            client.Link->Stop();
}

void TLivePage::Follow(const std::vector<livenet::TClientEntry>& entries)
{
    m_selected.reset();
    for (TClient& client : m_clients)
        if (client.Link)
            client.Link->Stop();
    m_clients.clear();
    m_byLink.clear();
    m_ppd.assign(entries.size(), 0);
    m_totalPpd = 0;
    m_watch.Follow(entries.size());
    m_model->SetBlockCount(entries.size() + 1);
    for (const livenet::TClientEntry& entry : entries) {
        TClient& client = m_clients.emplace_back();
        client.Entry = entry;
        if (entry.Address) {
            client.Handler = std::make_unique<livenet::TSessionHandler>(m_seams.Utc);
            client.Link = std::make_unique<livenet::TClientLink>(*entry.Address, *client.Handler,
                                                                 m_seams.Timers, Observer());
            m_byLink.emplace(client.Link.get(), m_clients.size() - 1);
        }
    }
    for (std::size_t i = 0; i < m_clients.size(); ++i)
        Render(i);
    for (TClient& client : m_clients)
        if (client.Link)
            client.Link->Start();
}

void TLivePage::Retranslate()
{
    m_model->SetHeaders(Headers());
    for (std::size_t i = 0; i < m_clients.size(); ++i)
        Render(i);
}

QStringList TLivePage::Headers() const
{
    QStringList headers;
    for (const char* key : HeaderKeys)
        headers.push_back(Text(m_seams.Label(key)));
    return headers;
}

std::string TLivePage::MachineStatus(const TClient& client) const
{
    if (!client.Link)
        return m_seams.Label("msgLiveBadEntry");
    const livenet::TLinkStatus& status = client.Link->Status();
    switch (status.State) {
    case livenet::TLinkState::Connecting:
        return m_seams.Label("msgLiveConnecting");
    case livenet::TLinkState::Connected:
        return FormatText(m_seams.Label("msgLiveConnected"), {status.Version});
    case livenet::TLinkState::Reconnecting: {
        const double left = (client.RetryAt - m_seams.Utc.Now()) * SecondsPerDay;
        return FormatText(m_seams.Label("msgLiveReconnecting"),
                          {std::max(0LL, std::llround(left)), status.Reason});
    }
    case livenet::TLinkState::Unsupported:
        return FormatText(m_seams.Label("msgLiveRefused"), {status.Version});
    }
    return {};
}

void TLivePage::StatusChanged(const livenet::TClientLink& link)
{
    const auto found = m_byLink.find(&link);
    if (found == m_byLink.end())
        return;
    if (link.Status().State == livenet::TLinkState::Reconnecting) {
        m_clients[found->second].RetryAt =
            m_seams.Utc.Now() + link.Status().RetryInSeconds / SecondsPerDay;
        m_ticker->Start(std::chrono::seconds(1));
    }
    m_watch.LinkChanged(found->second, MachineName(found->second), link.Status());
    Render(found->second);
}

void TLivePage::Tick()
{
    bool waiting = false;
    for (std::size_t i = 0; i < m_clients.size(); ++i)
        if (m_clients[i].Link &&
            m_clients[i].Link->Status().State == livenet::TLinkState::Reconnecting) {
            Render(i);
            waiting = true;
        }
    if (waiting)
        m_ticker->Start(std::chrono::seconds(1));
}

std::vector<live::TUnitView> TLivePage::Sorted(const std::vector<live::TUnitView>& units) const
{
    std::vector<live::TUnitView> sorted = units;
    if (m_sortColumn < 0)
        return sorted; // the client's order
    std::vector<std::pair<TSortKey, std::size_t>> keys;
    for (std::size_t i = 0; i < sorted.size(); ++i)
        keys.emplace_back(SortKey(sorted[i], m_sortColumn), i);
    std::stable_sort(keys.begin(), keys.end(), [this](const auto& a, const auto& b) {
        return m_sortOrder == Qt::AscendingOrder ? a.first < b.first : b.first < a.first;
    });
    std::vector<live::TUnitView> result;
    for (const auto& key : keys)
        result.push_back(std::move(sorted[key.second]));
    return result;
}

void TLivePage::SortBy(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    for (std::size_t i = 0; i < m_clients.size(); ++i)
        Render(i);
}

void TLivePage::Received(const livenet::TClientLink& link)
{
    const auto found = m_byLink.find(&link);
    if (found == m_byLink.end())
        return;
    Render(found->second);
    TClient& client = m_clients[found->second];
    const live::TClientSession& session = client.Handler->Session();
    for (live::TUnitEnding& ending : client.Endings.Observe(session)) {
        if (ending.Unit.Machine.empty())
            ending.Unit.Machine = MachineName(found->second);
        if (ending.State == live::TEndState::Ended)
            m_watch.UnitEnded(ending.Unit.Machine, ending.Unit);
        if (m_onUnitEnded)
            m_onUnitEnded(ending, session.LoggedUnit(ending.Unit));
    }
}

std::string TLivePage::MachineName(std::size_t index) const
{
    const TClient& client = m_clients[index];
    std::string name = client.Entry.Name;
    if (name.empty() && client.Handler &&
        client.Handler->Session().Phase() != live::TSessionPhase::AwaitingState)
        name = client.Handler->Session().MachineName();
    if (name.empty())
        name = client.Entry.Address ? client.Entry.Address->Text() : client.Entry.Text;
    return name;
}

std::optional<TLiveTarget> TLivePage::ControlTarget(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return std::nullopt;
    const auto [index, within] = m_model->Locate(row);
    if (index >= m_clients.size())
        return std::nullopt;
    const TClient& client = m_clients[index];
    if (!client.Link || client.Link->Status().State != livenet::TLinkState::Connected ||
        client.Handler->Session().Phase() != live::TSessionPhase::Live)
        return std::nullopt;
    TLiveTarget target{client.Link.get(), MachineName(index), std::nullopt};
    if (within == 0)
        return target;
    // A unit's key is its machine's prefix and its id.
    const std::string_view key = m_model->Row(row).Key;
    const auto unit =
        client.Handler->Session().FindUnit(key.substr(std::to_string(index).size() + 1));
    if (!unit)
        return std::nullopt;
    target.Group = unit->Group;
    return target;
}

bool TLivePage::Control(const TLiveTarget& target, live::TControl control)
{
    const auto found = m_byLink.find(target.Link);
    return found != m_byLink.end() && m_clients[found->second].Link->Control(control, target.Group);
}

void TLivePage::Render(std::size_t index)
{
    const TClient& client = m_clients[index];
    const live::TClientSession* session = client.Handler ? &client.Handler->Session() : nullptr;
    const bool following =
        session != nullptr && session->Phase() != live::TSessionPhase::AwaitingState;
    const std::string name = MachineName(index);
    m_clients[index].Name = name;
    const double ppd = following ? session->TotalPpd() : 0;
    const std::string prefix = std::to_string(index) + ":";

    std::vector<TLiveRow> rows;
    TLiveRow& machine = rows.emplace_back();
    machine.Key = prefix;
    machine.Strong = true;
    machine.Cells = QStringList(Columns);
    machine.Cells[Machine] = Text(name);
    machine.Cells[Status] = Text(MachineStatus(client));
    machine.Cells[Ppd] = following ? Whole(ppd) : QString();
    if (following) {
        const util::TDurationWords words = util::DurationWordsOf(m_seams.Label);
        // The clients write UTC; the regional settings format local time.
        const double shift = LocalShift(m_seams.Local, m_seams.Utc);
        for (const live::TUnitView& unit : Sorted(session->Units())) {
            TLiveRow& row = rows.emplace_back();
            row.Key = prefix + unit.Id;
            row.Cells = QStringList(Columns);
            row.Cells[Machine] = Text(name);
            row.Cells[Group] = Text(unit.Group);
            row.Cells[Unit] = Number(unit.Number);
            row.Cells[Project] = Number(unit.Project) + QStringLiteral(" (") + Number(unit.Run) +
                                 QLatin1Char('/') + Number(unit.Clone) + QLatin1Char('/') +
                                 Number(unit.Gen) + QLatin1Char(')');
            if (unit.Core != 0) {
                char code[8];
                std::snprintf(code, sizeof code, "%02X", static_cast<unsigned>(unit.Core));
                row.Cells[Core] = QString::fromLatin1(code);
                if (!unit.CoreName.empty() && unit.CoreName != "?")
                    row.Cells[Core] += QLatin1Char(' ') + Text(unit.CoreName);
            }
            // The trees' pictures: the core's family, complete once the unit folded its last
            // frame.
            row.Image = WUImageIndex(unit.Core, unit.Progress >= 100 || unit.State == "UPLOAD" ||
                                                    unit.State == "DONE");
            row.Cells[Status] = Text(LiveStatusText(unit.Status, m_seams.Label));
            row.Cells[Progress] = QString::number(unit.Progress, 'f', 1) + QLatin1Char('%');
            if (unit.TpfSeconds > 0)
                row.Cells[Tpf] = Text(util::DurationToText(unit.TpfSeconds, words));
            if (unit.EtaSeconds)
                row.Cells[Eta] = Text(util::DurationToText(*unit.EtaSeconds, words));
            row.Cells[Ppd] = Whole(unit.Ppd);
            row.Cells[Credit] = unit.BaseCredit > 0 ? QString::number(unit.BaseCredit) : QString();
            if (unit.Deadline > 0)
                row.Cells[Deadline] = Text(DateTimeText(unit.Deadline + shift, m_seams.Regional));
        }
    }
    m_model->SetBlock(index, std::move(rows));
    m_totalPpd += ppd - m_ppd[index];
    m_ppd[index] = ppd;
    RenderTotal();
    TellSelected(index);
}

void TLivePage::RenderTotal()
{
    TLiveRow total;
    total.Key = "total";
    total.Strong = true;
    total.Cells = QStringList(Columns);
    total.Cells[Machine] = Text(m_seams.Label("msgLiveTotal"));
    total.Cells[Ppd] = Whole(m_totalPpd);
    m_model->SetBlock(m_clients.size(), {std::move(total)});
}

} // namespace korvid::window
