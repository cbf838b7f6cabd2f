#include "reader_ops/exchange.h"

Exchange& Exchange::send(QStringList codes) {
    ExchangeStep step;
    step.kind = ExchangeStep::Kind::Send;
    step.codes = std::move(codes);
    steps_ << step;
    return *this;
}

Exchange& Exchange::wait(int ticks) {
    ExchangeStep step;
    step.kind = ExchangeStep::Kind::Wait;
    step.ticks = ticks;
    steps_ << step;
    return *this;
}

Exchange& Exchange::forget() {
    ExchangeStep step;
    step.kind = ExchangeStep::Kind::Forget;
    steps_ << step;
    return *this;
}

Exchange& Exchange::ask(Prompt prompt) {
    ExchangeStep step;
    step.kind = ExchangeStep::Kind::Ask;
    step.prompt = std::move(prompt);
    steps_ << step;
    return *this;
}

Exchange& Exchange::collect(const QString& code, int ticks, ReaderLink::EarlierInput earlier,
                            std::function<void(const QString&)> onReply) {
    ExchangeStep step;
    step.kind = ExchangeStep::Kind::Collect;
    step.codes = {code};
    step.ticks = ticks;
    step.earlier = earlier;
    step.onReply = std::move(onReply);
    steps_ << step;
    return *this;
}

Exchange& Exchange::then(const Exchange& next) {
    steps_ << next.steps_;
    return *this;
}

QStringList Exchange::codes() const {
    QStringList all;
    for (const ExchangeStep& step : steps_)
        all << step.codes;
    return all;
}
