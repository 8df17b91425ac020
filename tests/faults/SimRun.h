#pragma once
// The simulated instrument as the fault tests drive it: scenarios loaded into the library the
// program itself loads, transcripts read back as lists of transfers and remarks, and every
// text a status label was given while an exchange ran.
#include "app/SharedState.h"
#include "device/BMTreadUSB.h"
#include "support/SimulatorScenario.h"
#include "support/WaitUntil.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace faults {

using ::LoadScenario;

/// One bulk transfer as the instrument saw it.
struct Transfer {
    bool write = false;
    int size = 0;
    int result = 0;
    std::string bytes; ///< what moved, as hex pairs
};

struct Transcript {
    std::vector<Transfer> transfers;
    std::vector<std::string> remarks; ///< the instrument's own "!" lines
    std::string raw;

    static Transcript Read(const std::string& path)
    {
        Transcript t;
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line)) {
            t.raw += line + "\n";
            std::istringstream in(line);
            double at = 0;
            std::string call;
            if (!(in >> at >> call)) continue;
            std::string rest;
            std::getline(in >> std::ws, rest);
            if (call == "!") {
                t.remarks.push_back(rest);
                continue;
            }
            if (call != "usb_bulk_write" && call != "usb_bulk_read") continue;
            Transfer x;
            x.write = call == "usb_bulk_write";
            const auto size = rest.find("size=");
            const auto arrow = rest.find("-> ");
            const auto colon = rest.find(" : ");
            if (size != std::string::npos) x.size = std::stoi(rest.substr(size + 5));
            if (arrow != std::string::npos) x.result = std::stoi(rest.substr(arrow + 3));
            if (colon != std::string::npos) x.bytes = rest.substr(colon + 3);
            t.transfers.push_back(x);
        }
        return t;
    }
    bool remarked(const std::string& part) const
    {
        for (const auto& r : remarks)
            if (r.find(part) != std::string::npos) return true;
        return false;
    }
    /// Failed transfers after the first `k`.
    int failuresAfter(std::size_t k) const
    {
        int n = 0;
        for (std::size_t i = k; i < transfers.size(); ++i) n += transfers[i].result < 0;
        return n;
    }
    /// The last command written at or before transfer `k` (1-based), e.g. "03 FC 01 00".
    std::string commandOf(std::size_t k) const
    {
        for (std::size_t i = std::min(k, transfers.size()); i > 0; --i)
            if (transfers[i - 1].write) return transfers[i - 1].bytes;
        return {};
    }
    /// Human words for transfer `k` (1-based).
    std::string describe(std::size_t k) const
    {
        if (k == 0 || k > transfers.size()) return "transfer " + std::to_string(k);
        const Transfer& x = transfers[k - 1];
        if (x.write) return "transfer " + std::to_string(k) + " (write " + x.bytes + ")";
        return "transfer " + std::to_string(k) + " (read of " + std::to_string(x.size) + " after " +
               commandOf(k) + ")";
    }
};

/// Every text the status labels showed, in order, while the recorder lives. A hand-off
/// can set a status and the next one replace it before any timer runs; but each hand-off is
/// an event of its own on the window thread, so the labels are looked at before every such
/// event, which sees what the previous hand-off left.
class LabelHistory : public QObject {
public:
    explicit LabelHistory(QString name = QStringLiteral("Label1")) : name_(std::move(name))
    {
        qApp->installEventFilter(this);
    }
    ~LabelHistory() override { qApp->removeEventFilter(this); }

    QStringList texts()
    {
        look();
        return seen_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall) look();
        return QObject::eventFilter(watched, event);
    }

private:
    void look()
    {
        for (QWidget* w : QApplication::allWidgets()) {
            auto* label = qobject_cast<QLabel*>(w);
            // Labels of windows already closed keep their last text; only what is on screen counts.
            if (!label || label->objectName() != name_ || !label->isVisible()) continue;
            auto [it, fresh] = last_.try_emplace(label, label->text());
            if (!fresh && it->second == label->text()) continue;
            it->second = label->text();
            if (!label->text().isEmpty()) seen_ << label->text();
        }
    }

    QString name_;
    std::map<QLabel*, QString> last_;
    QStringList seen_;
};

/// Acts once, just before the `nth` hand-off of the running exchange that shows worker state
/// `state` reaches the window thread; `act` returns false to be asked again at the next one.
/// A hand-off is the worker's call into the window thread, so acting there is acting at a
/// moment the user can meet: the worker is parked in that state, waiting for the window.
class AtState : public QObject {
public:
    AtState(uint8_t state, std::function<bool()> act, int nth = 1)
        : state_(state), nth_(nth), act_(std::move(act))
    {
        qApp->installEventFilter(this);
    }
    ~AtState() override { qApp->removeEventFilter(this); }
    bool done() const { return done_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (done_ || event->type() != QEvent::MetaCall) return QObject::eventFilter(watched, event);
        const BMTreadUSB* worker = RunningExchange();
        if (worker && watched == worker && worker->sharedState().WorkerState.load() == state_ &&
            ++seen_ >= nth_)
            done_ = act_();
        return QObject::eventFilter(watched, event);
    }

private:
    uint8_t state_;
    int nth_;
    int seen_ = 0;
    std::function<bool()> act_;
    bool done_ = false;
};

using ::WaitUntil;

} // namespace faults
