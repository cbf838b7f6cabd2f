#include "reader_ops/exchange_runner.h"

ExchangeOutcome playExchange(ReaderLink& link, Prompter& prompter, const Exchange& exchange) {
    ExchangeOutcome outcome;
    for (const ExchangeStep& step : exchange.steps()) {
        switch (step.kind) {
        case ExchangeStep::Kind::Send:
            for (const QString& code : step.codes)
                outcome.unsent += link.SendCommand(code) ? 0 : 1;
            break;
        case ExchangeStep::Kind::Wait:
            link.tickWait(link.ticks() + step.ticks);
            break;
        case ExchangeStep::Kind::Forget:
            link.clearReplyBuffer();
            break;
        case ExchangeStep::Kind::Ask:
            if (prompter.show(step.prompt) != PromptAnswer::Ok &&
                step.prompt.buttons == Prompt::Buttons::OkCancel) {
                outcome.end = ExchangeOutcome::End::Cancelled;
                return outcome;
            }
            break;
        case ExchangeStep::Kind::Collect: {
            bool sent = false;
            link.tickWait(
                link.startCollecting(step.codes.constFirst(), step.ticks, step.earlier, &sent));
            outcome.unsent += sent ? 0 : 1;
            const QString reply = link.stopCollecting();
            if (step.onReply)
                step.onReply(reply);
            break;
        }
        }
    }
    return outcome;
}

namespace {
struct NoQuestions : Prompter {
    PromptAnswer show(const Prompt&) override { return PromptAnswer::Cancel; }
};
} // namespace

ExchangeOutcome playExchange(ReaderLink& link, const Exchange& exchange) {
    NoQuestions none;
    return playExchange(link, none, exchange);
}

ExchangePlayer::ExchangePlayer(ReaderLink& link, Asker asker, QObject* parent)
    : QObject(parent), link_(link), asker_(std::move(asker)) {
    connect(&link_, &ReaderLink::ticked, this, &ExchangePlayer::onTick);
}

void ExchangePlayer::play(const Exchange& exchange,
                          std::function<void(const ExchangeOutcome&)> done) {
    ++generation_;
    steps_ = exchange.steps();
    at_ = 0;
    outcome_ = {};
    done_ = std::move(done);
    playing_ = true;
    pending_ = nullptr;
    next();
}

void ExchangePlayer::abandon() {
    ++generation_;
    playing_ = false;
    pending_ = nullptr;
    done_ = nullptr;
    if (link_.collectingReply())
        link_.stopCollecting();
}

void ExchangePlayer::drain(std::function<void()> done) {
    abandon();
    drainTicks_ = 0;
    drainDone_ = std::move(done);
    checkDrained();
}

void ExchangePlayer::checkDrained() {
    // Handed over is not yet delivered: a device server on the network may still be writing the
    // last frames to its line when the connection closes, and drop them.
    const bool writing =
        link_.pendingOutput() > 0 || link_.ticksSinceSent() < link_.replyTicks(kSettleTicks);
    if (link_.isOpen() && writing && drainTicks_++ < link_.replyTicks(kDrainTicks)) {
        afterTicks(0, [this] { checkDrained(); });
        return;
    }
    if (auto done = std::exchange(drainDone_, nullptr))
        done();
}

void ExchangePlayer::afterTicks(int ticks, std::function<void()> step) {
    deadline_ = link_.ticks() + ticks;
    pending_ = std::move(step);
}

void ExchangePlayer::onTick() {
    if (!pending_ || link_.ticks() <= deadline_)
        return;
    const std::function<void()> step = std::exchange(pending_, nullptr);
    step();
}

void ExchangePlayer::next() {
    while (playing_ && at_ < steps_.size()) {
        const ExchangeStep& step = steps_.at(at_++);
        switch (step.kind) {
        case ExchangeStep::Kind::Send:
            for (const QString& code : step.codes)
                outcome_.unsent += link_.SendCommand(code) ? 0 : 1;
            continue;
        case ExchangeStep::Kind::Forget:
            link_.clearReplyBuffer();
            continue;
        case ExchangeStep::Kind::Wait:
            afterTicks(step.ticks, [this] { next(); });
            return;
        case ExchangeStep::Kind::Ask: {
            const quint64 generation = generation_;
            const bool mayCancel = step.prompt.buttons == Prompt::Buttons::OkCancel;
            if (!asker_) {
                // Nobody to ask: a question that may be refused is refused.
                if (mayCancel) {
                    outcome_.end = ExchangeOutcome::End::Cancelled;
                    at_ = steps_.size();
                }
                continue;
            }
            asker_(step.prompt, [this, generation, mayCancel](PromptAnswer answer) {
                if (generation != generation_ || !playing_)
                    return;
                if (answer != PromptAnswer::Ok && mayCancel) {
                    outcome_.end = ExchangeOutcome::End::Cancelled;
                    at_ = steps_.size();
                }
                next();
            });
            return;
        }
        case ExchangeStep::Kind::Collect: {
            bool sent = false;
            deadline_ =
                link_.startCollecting(step.codes.constFirst(), step.ticks, step.earlier, &sent);
            outcome_.unsent += sent ? 0 : 1;
            pending_ = [this, onReply = step.onReply] {
                const QString reply = link_.stopCollecting();
                if (onReply)
                    onReply(reply);
                next();
            };
            return;
        }
        }
    }
    if (!playing_)
        return;
    playing_ = false;
    if (auto done = std::exchange(done_, nullptr))
        done(outcome_);
}
