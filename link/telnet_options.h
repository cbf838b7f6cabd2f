#pragma once

#include <QByteArray>
#include <QSet>

#include <array>

// The options a client turns on, as RFC 1143 keeps them (without its queue: each option is
// asked for at most once here). Every option on each side is in one of four states; a request
// is answered only when it changes that state, so the two sides never loop and a server that
// repeats itself is answered once. An option this side does not want is refused once; asked
// again, it is still refused and nothing more is said.
class TelnetOptions {
public:
    // `local`: what this side does (answers DO); `remote`: what it wants the server to do
    // (answers WILL).
    TelnetOptions(const QSet<quint8>& local, const QSet<quint8>& remote);

    // The opening requests: WILL for each local option, DO for each remote one.
    QByteArray start();
    // The answer to a received negotiation (often empty).
    QByteArray receive(quint8 command, quint8 option);

    bool localEnabled(quint8 option) const { return us_[option].state == State::Yes; }
    bool remoteEnabled(quint8 option) const { return him_[option].state == State::Yes; }
    // The server said DONT/WONT to an option asked for.
    bool refused(quint8 option) const { return us_[option].refused || him_[option].refused; }

private:
    enum class State : quint8 { No, Yes, WantNo, WantYes };
    struct Option {
        State state = State::No;
        bool wanted = false;
        bool refusalSent = false; // a request for an unwanted option has been turned down
        bool refused = false;     // our own request was turned down
    };
    using Side = std::array<Option, 256>;

    // A request to enable (`enable`) or disable on one side; `agree`/`refuse` are the commands
    // that answer it (WILL/WONT for requests to us, DO/DONT for requests to the server).
    static QByteArray request(Side& side, quint8 option, bool enable, quint8 agree, quint8 refuse);

    Side us_, him_;
};
