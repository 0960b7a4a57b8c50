#include "net/BlockReader.h"

namespace corvantis {

BlockReader::Status BlockReader::feed(QByteArrayView bytes, QList<PanelBlock> &blocks)
{
    while (m_status == Status::Ok && !bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        // The CR of a CR LF may sit in the partial line, so it counts against the limit too.
        if (m_partial.size() + piece.size() > kMaxLine + 1) {
            m_status = Status::LineTooLong;
            break;
        }
        if (end < 0) {
            m_partial.append(piece);
            break;
        }
        bytes = bytes.sliced(end + 1);
        if (m_partial.isEmpty()) {
            m_status = takeLine(piece, blocks);
        } else {
            m_partial.append(piece);
            m_status = takeLine(m_partial, blocks);
            m_partial.clear();
        }
    }
    return m_status;
}

BlockReader::Status BlockReader::takeLine(QByteArrayView line, QList<PanelBlock> &blocks)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > kMaxLine)
        return Status::LineTooLong;
    if (line.isEmpty()) {
        if (m_inBlock) {
            blocks.append(std::move(m_block));
            m_block = {};
            m_blockSize = 0;
            m_inBlock = false;
        }
        return Status::Ok;
    }
    m_blockSize += line.size() + 1;
    if (m_blockSize > kMaxBlock)
        return Status::BlockTooLong;
    if (!m_inBlock) {
        m_block.header = line.toByteArray();
        m_inBlock = true;
    } else {
        m_block.lines.append(line.toByteArray());
    }
    return Status::Ok;
}

const char *BlockReader::describe(Status status)
{
    switch (status) {
    case Status::Ok:
        break;
    case Status::LineTooLong:
        return "a line longer than 4 KiB";
    case Status::BlockTooLong:
        return "a block longer than 64 KiB";
    }
    return "";
}

} // namespace corvantis
