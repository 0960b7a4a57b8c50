#pragma once

#include "sim/SimFrame.h"

#include <QByteArray>
#include <QList>

namespace corvantis {

// Cuts the byte stream of the line into frames of either framing. Bytes that cannot begin or
// continue a frame are dropped one at a time, so the parser finds the next frame behind any
// garbage or broken frame. After an EDID header the next 16 blocks of 9 bytes are taken as
// they come, whatever they contain; a block whose check byte is wrong ends the transfer.
class SimFrameParser {
public:
    static constexpr int kEdidBlocks = 16;
    static constexpr int kEdidBlockSize = 9;

    // The frames that the bytes complete, in order.
    QList<SimFrame> feed(const QByteArray &bytes);
    // The line has gone quiet: a Type B header without a body ("//F" and two digits, what the
    // framing sends for codes without payload) is a frame of its own; any other partial frame
    // and an unfinished EDID transfer are dropped.
    QList<SimFrame> flush();

    bool isIdle() const { return m_buffer.isEmpty() && m_edidBlocksLeft == 0; }
    qint64 bytesDiscarded() const { return m_discarded; }

private:
    enum class Verdict { NeedMore, Complete, Invalid };
    struct Examined {
        Verdict verdict = Verdict::NeedMore;
        qsizetype length = 0;
        SimFrame frame;
    };

    void feedByte(char byte, QList<SimFrame> &frames);
    void feedEdidByte(char byte, QList<SimFrame> &frames);
    static Examined examine(const QByteArray &buffer);
    static Examined examineTypeA(const QByteArray &buffer);
    static Examined examineTypeB(const QByteArray &buffer);
    static Examined examineAddressedTypeB(const QByteArray &buffer);

    QByteArray m_buffer;
    QByteArray m_block;
    int m_edidBlocksLeft = 0;
    int m_edidAddress = -1;
    qint64 m_discarded = 0;
};

} // namespace corvantis
