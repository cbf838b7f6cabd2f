#pragma once

#include <QByteArray>
#include <QtGlobal>

// The reader's decode test: a trigger ("U8") is answered with one report, "Ok:", the
// percentage, "%", a blank, the decoded data and CR, or with nothing. The rate says how many
// triggers in a hundred are answered, evenly spread, the first one answered; 0 is silence.
class DecodeReports {
public:
    // Used verbatim, so a reader that reports garbage can be played too.
    void setPercentage(const QByteArray& text) { percentage_ = text; }
    QByteArray percentage() const { return percentage_; }
    void setData(const QByteArray& data) { data_ = data; }
    QByteArray data() const { return data_; }
    void setRate(int percent) { rate_ = qBound(0, percent, 100); }
    int rate() const { return rate_; }

    QByteArray report() const;
    // The answer to the next trigger; null when it goes unanswered.
    QByteArray answer();

private:
    QByteArray percentage_ = "75";
    QByteArray data_ = "0123456789";
    int rate_ = 100;
    qint64 triggers_ = 0;
};
