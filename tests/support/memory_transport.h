#pragma once

#include "link/transport.h"
#include "simulator/reader_model.h"

#include <QTimer>
#include <functional>
#include <optional>

// A reader in memory behind the transport seam: what is written goes to the reader model, its
// replies come back from the event loop. It can go silent, or vanish while a frame with a
// given code is being written, as an unplugged adapter does.
class MemoryTransport : public Transport {
public:
    struct Faults {
        bool silent = false;
        QByteArray vanishOn; // the code whose frame finds the device gone
        std::function<void(const QByteArray& frame)> written; // every frame as it goes out
        // Replies to this code are held back until a frame with `releaseOn` has gone out: a
        // reader that answers late, while the line is settling.
        QByteArray holdRepliesTo;
        QByteArray releaseOn;
        std::function<QByteArray(QByteArray)> damage; // what the line does to a reply
        std::optional<double> roundTripMs; // as a network transport would have measured it
    };

    MemoryTransport(ReaderModel& model, Faults faults) : model_(model), faults_(faults) {}

    OpenState open(PortError& why) override {
        why = {};
        open_ = true;
        return OpenState::Open;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(const QByteArray& bytes) override {
        if (!open_)
            return false;
        if (!faults_.vanishOn.isEmpty() && bytes.mid(1, 2) == faults_.vanishOn) {
            open_ = false;
            emit lost(QStringLiteral("the device was unplugged"));
            return false;
        }
        if (faults_.written)
            faults_.written(bytes);
        const QList<QByteArray> replies = model_.receive(bytes);
        if (faults_.silent)
            return true;
        const QByteArray code = bytes.mid(1, 2);
        if (!faults_.holdRepliesTo.isEmpty() && code == faults_.holdRepliesTo) {
            held_ += replies;
            return true;
        }
        deliver(replies);
        if (code == faults_.releaseOn)
            deliver(std::exchange(held_, {}));
        return true;
    }
    // In pieces, as a serial line delivers them.
    void deliver(const QList<QByteArray>& replies) {
        for (QByteArray reply : replies) {
            if (faults_.damage)
                reply = faults_.damage(reply);
            for (qsizetype at = 0; at < reply.size(); at += kPiece) {
                QTimer::singleShot(0, this, [this, piece = reply.mid(at, kPiece)] {
                    if (!open_)
                        return;
                    input_ += piece;
                    emit dataArrived();
                });
            }
        }
    }
    QByteArray readAll() override { return std::exchange(input_, {}); }
    void discardInput() override { input_.clear(); }
    qint64 bytesAvailable() const override { return input_.size(); }
    qint64 bytesToWrite() const override { return 0; }
    QString key() const override { return QStringLiteral("memory"); }
    std::optional<double> roundTripMs() const override { return faults_.roundTripMs; }

private:
    static constexpr qsizetype kPiece = 16;
    ReaderModel& model_;
    Faults faults_;
    bool open_ = false;
    QByteArray input_;
    QList<QByteArray> held_;
};

inline TransportFactory memoryTransports(ReaderModel& model, MemoryTransport::Faults faults = {}) {
    return [&model, faults](const PortAddress&) -> std::unique_ptr<Transport> {
        return std::make_unique<MemoryTransport>(model, faults);
    };
}
