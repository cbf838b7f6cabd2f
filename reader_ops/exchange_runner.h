#pragma once

#include "reader_ops/exchange.h"

#include <QObject>
#include <functional>

// The windows' way of playing an exchange: each wait is a tick wait, so events (the operator's
// among them) keep running, and the call returns when the exchange has ended.
ExchangeOutcome playExchange(ReaderLink& link, Prompter& prompter, const Exchange& exchange);
// The same for an exchange that asks nothing; a question in it is answered Cancel.
ExchangeOutcome playExchange(ReaderLink& link, const Exchange& exchange);

// The commands' way: every wait is a deadline on the link's tick counter, so any number of
// ports play their exchanges in one event loop and none waits for another.
class ExchangePlayer : public QObject {
    Q_OBJECT
public:
    // Asks the operator and calls `answer` when there is an answer, now or later.
    using Asker = std::function<void(const Prompt&, std::function<void(PromptAnswer)> answer)>;

    ExchangePlayer(ReaderLink& link, Asker asker, QObject* parent = nullptr);

    // Plays `exchange` from its first step; `done` follows its end. One exchange at a time.
    void play(const Exchange& exchange, std::function<void(const ExchangeOutcome&)> done);
    // Abandons what is playing; its `done` is not called.
    void abandon();
    bool isPlaying() const { return playing_; }

    // Calls `done` once what was written has reached the device, or after kDrainTicks; both
    // bounds grow by the network's round trip.
    void drain(std::function<void()> done);
    // What was written may take a moment to reach the device; a line that takes longer is stuck.
    static constexpr int kDrainTicks = 20;
    // Ticks a frame is given after it was handed over, before the line is closed.
    static constexpr int kSettleTicks = 3;

private:
    void next();
    void checkDrained();
    void onTick();
    // Runs `step` once the tick counter has passed its value now plus `ticks`.
    void afterTicks(int ticks, std::function<void()> step);

    ReaderLink& link_;
    Asker asker_;
    QList<ExchangeStep> steps_;
    qsizetype at_ = 0;
    ExchangeOutcome outcome_;
    std::function<void(const ExchangeOutcome&)> done_;
    bool playing_ = false;
    quint64 generation_ = 0; // an answer for an abandoned exchange is ignored
    qint64 deadline_ = 0;
    std::function<void()> pending_;
    std::function<void()> drainDone_;
    int drainTicks_ = 0;
};
