#pragma once

#include "link/reader_link.h"
#include "reader_ops/prompter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// One step of an exchange with the reader.
struct ExchangeStep {
    enum class Kind {
        Send,    // `codes`, back to back; nothing is waited for or read
        Wait,    // `ticks` ticks
        Forget,  // empty the reply buffer: what came so far answers nothing asked
        Ask,     // show `prompt`; a Cancel on an OK/Cancel question ends the exchange
        Collect, // send `codes` (one), collect for `ticks` ticks, hand the reply to `onReply`
    };
    Kind kind = Kind::Send;
    QStringList codes;
    int ticks = 0;
    ReaderLink::EarlierInput earlier = ReaderLink::EarlierInput::Keep;
    Prompt prompt;
    // What a collected reply means to the caller.
    std::function<void(const QString& reply)> onReply;
};

// What to send, how long to wait, what to collect and what to ask, in order: the one
// description of an exchange, which the windows play on tick waits and the commands play
// asynchronously.
class Exchange {
public:
    Exchange& send(QStringList codes);
    Exchange& wait(int ticks);
    Exchange& forget();
    Exchange& ask(Prompt prompt);
    Exchange& collect(const QString& code, int ticks, ReaderLink::EarlierInput earlier,
                      std::function<void(const QString&)> onReply);
    Exchange& then(const Exchange& next);

    const QList<ExchangeStep>& steps() const { return steps_; }
    // Every code in sending order, for the trace and the tests.
    QStringList codes() const;

private:
    QList<ExchangeStep> steps_;
};

struct ExchangeOutcome {
    enum class End {
        Completed, // every step ran
        Cancelled, // the operator said no
    };
    End end = End::Completed;
    int unsent = 0; // frames that did not go out (port closed or lost)
    // Everything was asked and every frame of it went out.
    bool delivered() const { return end == End::Completed && unsent == 0; }
};
