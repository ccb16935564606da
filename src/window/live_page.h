#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QWidget>

#include "live/unit_endings.h"
#include "livenet/client_address.h"
#include "livenet/client_link.h"
#include "livenet/session_handler.h"
#include "util/platform.h"
#include "window/live_watch.h"

class QTableView;
class QToolButton;

namespace korvid::window {

class TLiveModel;

// What the live page gets from the platform; tests hand in fakes.
struct TLiveSeams {
    // The clients' times are UTC; the page shows them in local time.
    const util::IClock& Utc;
    const util::IClock& Local;
    const util::IRegionalSettings& Regional;
    livenet::ITimerFactory& Timers;
    // The catalogue's text of a message key.
    std::function<std::string(std::string_view key)> Label;
};

// What a line's commands act on.
struct TLiveTarget {
    const livenet::TClientLink* Link = nullptr;
    std::string Machine;
    std::optional<std::string> Group; // none: every group of the machine
};

// The clients followed, a line per machine and one per unit of each, and the total PPD. Each
// client has its own link, kept connected; a message redraws that client's lines only.
class TLivePage final : public QWidget, private livenet::ILinkObserver {
public:
    TLivePage(const TLiveSeams& seams, QWidget* parent);
    ~TLivePage() override;

    // A unit ended on a client: how, and the unit its log lines make (none when the log holds
    // none), valid during the call.
    using TEndingHandler =
        std::function<void(const live::TUnitEnding& ending, const workunits::TWU* logged)>;
    void OnUnitEnded(TEndingHandler handler) { m_onUnitEnded = std::move(handler); }
    // The clients named by the setting, followed from now on instead of those before.
    void Follow(const std::vector<livenet::TClientEntry>& entries);
    // The language changed.
    void Retranslate();
    [[nodiscard]] QTableView& Table() const { return *m_table; }
    [[nodiscard]] TLiveModel& Model() const { return *m_model; }
    // Opens the list of clients; the window says what it does.
    [[nodiscard]] QToolButton& ClientsButton() const { return *m_clientsButton; }

    // The unit of the line selected. A line that goes (its unit left, its client dropped) leaves
    // its unit selected until another line is; a machine's line or the total selects none.
    struct TSelectedUnit {
        const live::TClientSession* Session = nullptr;
        std::string Id;
        std::string Machine;
    };
    [[nodiscard]] std::optional<TSelectedUnit> SelectedUnit() const;
    // Told when another line is selected (true) and when the selected unit's client sent
    // something or changed its status (false).
    void OnSelectedUnit(std::function<void(bool newSelection)> told) { m_told = std::move(told); }
    // None for the total, an entry that names no client, and a client that takes no command now.
    [[nodiscard]] std::optional<TLiveTarget> ControlTarget(int row) const;
    // False, and nothing sent, when the target's client is gone or takes no command now.
    bool Control(const TLiveTarget& target, live::TControl control);
    // Where a machine that stays unreachable and a unit that ends without credit are told.
    void OnAttention(TLiveWatch::TNotice notice) { m_watch.SetNotice(std::move(notice)); }

private:
    struct TClient {
        livenet::TClientEntry Entry;
        std::unique_ptr<livenet::TSessionHandler> Handler;
        std::unique_ptr<livenet::TClientLink> Link;
        double RetryAt = 0; // UTC, while reconnecting
        std::string Name;   // as its line shows it
        live::TEndingWatch Endings;
    };
    struct TSelection {
        std::size_t Client = 0;
        std::string Id;
        bool operator==(const TSelection&) const = default;
    };

    [[nodiscard]] livenet::ILinkObserver& Observer() { return *this; }
    void StatusChanged(const livenet::TClientLink& link) override;
    void Received(const livenet::TClientLink& link) override;
    [[nodiscard]] std::string MachineName(std::size_t client) const;
    void Render(std::size_t client);
    void RenderTotal();
    // Once a second while a link waits to reconnect: its line counts down.
    void Tick();
    [[nodiscard]] QStringList Headers() const;
    [[nodiscard]] std::vector<live::TUnitView>
    Sorted(const std::vector<live::TUnitView>& units) const;
    // By a column, as the header's indicator says; -1: the client's order.
    void SortBy(int column, Qt::SortOrder order);
    [[nodiscard]] std::string MachineStatus(const TClient& client) const;
    void WatchSelection();
    void SelectionChanged();
    // The client's lines were drawn again.
    void TellSelected(std::size_t client) const;

    TLiveSeams m_seams;
    TLiveModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QToolButton* m_clientsButton = nullptr;
    std::deque<TClient> m_clients;
    std::unique_ptr<livenet::ITimer> m_ticker;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::unordered_map<const livenet::TClientLink*, std::size_t> m_byLink;
    std::vector<double> m_ppd; // per client, for the total
    double m_totalPpd = 0;
    std::optional<TSelection> m_selected;
    std::function<void(bool)> m_told;
    TEndingHandler m_onUnitEnded;
    TLiveWatch m_watch;
};

} // namespace korvid::window
