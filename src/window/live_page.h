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

#include "livenet/client_address.h"
#include "livenet/client_link.h"
#include "livenet/session_handler.h"
#include "util/platform.h"
#include "window/live_watch.h"

class QTableView;

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

    // The clients named by the setting, followed from now on instead of those before.
    void Follow(const std::vector<livenet::TClientEntry>& entries);
    // The language changed.
    void Retranslate();
    [[nodiscard]] QTableView& Table() const { return *m_table; }
    [[nodiscard]] TLiveModel& Model() const { return *m_model; }
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

    TLiveSeams m_seams;
    TLiveModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    std::deque<TClient> m_clients;
    std::unique_ptr<livenet::ITimer> m_ticker;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::unordered_map<const livenet::TClientLink*, std::size_t> m_byLink;
    std::vector<double> m_ppd; // per client, for the total
    double m_totalPpd = 0;
    TLiveWatch m_watch;
};

} // namespace korvid::window
