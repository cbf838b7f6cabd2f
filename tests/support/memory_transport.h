#pragma once

#include "link/transport.h"
#include "simulator/reader_model.h"

#include <QTimer>
#include <functional>

// A reader in memory behind the transport seam: what is written goes to the reader model, its
// replies come back from the event loop. It can go silent, or vanish while a frame with a
// given code is being written, as an unplugged adapter does.
class MemoryTransport : public Transport {
public:
    struct Faults {
        bool silent = false;
        QByteArray vanishOn; // the code whose frame finds the device gone
        std::function<void(const QByteArray& frame)> written; // every frame as it goes out
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
        // In pieces, as a serial line delivers them.
        for (const QByteArray& reply : replies) {
            for (qsizetype at = 0; at < reply.size(); at += kPiece) {
                QTimer::singleShot(0, this, [this, piece = reply.mid(at, kPiece)] {
                    if (!open_)
                        return;
                    input_ += piece;
                    emit dataArrived();
                });
            }
        }
        return true;
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
};

inline TransportFactory memoryTransports(ReaderModel& model, MemoryTransport::Faults faults = {}) {
    return [&model, faults](const QString&) -> std::unique_ptr<Transport> {
        return std::make_unique<MemoryTransport>(model, faults);
    };
}
