#pragma once

#include "net/PanelBlock.h"

#include <QByteArrayView>
#include <QList>

namespace corvantis {

// Cuts a byte stream into blocks. Lines end in LF or CR LF; empty lines between blocks are
// skipped. Limits keep a hostile peer from growing the buffer: once one is passed the
// reader stays failed and takes nothing more.
class BlockReader {
public:
    static constexpr qsizetype kMaxLine = 4 * 1024;   // without its line end
    static constexpr qsizetype kMaxBlock = 64 * 1024; // its lines with their line ends

    enum class Status { Ok, LineTooLong, BlockTooLong };

    // Appends the completed blocks to blocks, also those completed before a limit was passed.
    Status feed(QByteArrayView bytes, QList<PanelBlock> &blocks);
    Status status() const { return m_status; }
    static const char *describe(Status status);

private:
    Status takeLine(QByteArrayView line, QList<PanelBlock> &blocks);

    QByteArray m_partial;
    PanelBlock m_block;
    qsizetype m_blockSize = 0;
    bool m_inBlock = false;
    Status m_status = Status::Ok;
};

} // namespace corvantis
