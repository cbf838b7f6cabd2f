#include "link/telnet_options.h"

#include "link/telnet_codec.h"

using namespace telnet;

TelnetOptions::TelnetOptions(const QSet<quint8>& local, const QSet<quint8>& remote) {
    for (const quint8 option : local)
        us_[option].wanted = true;
    for (const quint8 option : remote)
        him_[option].wanted = true;
}

QByteArray TelnetOptions::start() {
    QByteArray out;
    const auto ask = [&out](Side& side, quint8 command) {
        for (int option = 0; option < 256; ++option) {
            if (side[option].wanted && side[option].state == State::No) {
                side[option].state = State::WantYes;
                out += telnetNegotiation(command, quint8(option));
            }
        }
    };
    ask(us_, WILL);
    ask(him_, DO);
    return out;
}

QByteArray TelnetOptions::receive(quint8 command, quint8 option) {
    switch (command) {
    case DO:
        return request(us_, option, true, WILL, WONT);
    case DONT:
        return request(us_, option, false, WILL, WONT);
    case WILL:
        return request(him_, option, true, DO, DONT);
    case WONT:
        return request(him_, option, false, DO, DONT);
    default:
        return {};
    }
}

QByteArray TelnetOptions::request(Side& side, quint8 option, bool enable, quint8 agree,
                                  quint8 refuse) {
    Option& o = side[option];
    switch (o.state) {
    case State::No:
        if (!enable)
            return {};
        if (o.wanted) {
            o.state = State::Yes;
            return telnetNegotiation(agree, option);
        }
        // Said once: the option stays off, and saying so again would change nothing.
        if (std::exchange(o.refusalSent, true))
            return {};
        return telnetNegotiation(refuse, option);
    case State::Yes:
        if (enable)
            return {};
        o.state = State::No;
        return telnetNegotiation(refuse, option);
    case State::WantNo:
        // Either way the answer to our own request to disable: the option is off.
        o.state = State::No;
        return {};
    case State::WantYes:
        o.state = enable ? State::Yes : State::No;
        o.refused = !enable;
        return {};
    }
    return {};
}
