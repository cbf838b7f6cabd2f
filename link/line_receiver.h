#pragma once

// Whoever reads the line itself while it is routed to it (the alignment and decode windows,
// the alignment command). Called for every receive event; reading is up to the receiver.
class LineReceiver {
public:
    virtual ~LineReceiver() = default;
    virtual void OnComm() = 0;
};
