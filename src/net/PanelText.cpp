#include "net/PanelText.h"

#include "net/PanelBlock.h"

namespace corvantis {

namespace {

QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

QByteArray block(const char *header, const QByteArray &body)
{
    QByteArray out;
    out.reserve(qsizetype(qstrlen(header)) + body.size() + 3);
    out.append(header).append('\n').append(body).append('\n');
    return out;
}

template <typename Pair, typename Value>
QByteArray numbered(const char *header, const QList<Pair> &pairs, Value value)
{
    QByteArray body;
    body.reserve(pairs.size() * 12);
    for (const Pair &pair : pairs)
        body.append(QByteArray::number(pair.first)).append(' ').append(value(pair)).append('\n');
    return block(header, body);
}

} // namespace

QByteArray PanelText::ack()
{
    return block(PanelBlock::kAck, {});
}

QByteArray PanelText::nak()
{
    return block(PanelBlock::kNak, {});
}

QByteArray PanelText::preamble()
{
    return block(PanelBlock::kPreamble, QByteArray("Version: ") + kVersion + '\n');
}

QByteArray PanelText::device(const MatrixControl::DeviceFacts &facts)
{
    QByteArray body;
    body.append("Device present: true\n");
    body.append("Model name: ").append(field(facts.modelName)).append('\n');
    body.append("Friendly name: ").append(field(facts.friendlyName)).append('\n');
    body.append("Unique ID: ").append(field(facts.uniqueId)).append('\n');
    body.append("Video inputs: ").append(QByteArray::number(facts.inputs)).append('\n');
    body.append("Video processing units: 0\n");
    body.append("Video outputs: ").append(QByteArray::number(facts.outputs)).append('\n');
    body.append("Video monitoring outputs: 0\n");
    body.append("Serial ports: 0\n");
    return block(PanelBlock::kDevice, body);
}

QByteArray PanelText::labels(MatrixControl::Side side, const QList<MatrixControl::Label> &labels)
{
    const char *header =
        side == MatrixControl::Side::Input ? PanelBlock::kInputLabels : PanelBlock::kOutputLabels;
    return numbered(header, labels, [](const MatrixControl::Label &l) { return field(l.second); });
}

QByteArray PanelText::locks(const QList<LockLine> &locks)
{
    return numbered(PanelBlock::kOutputLocks, locks,
                    [](const LockLine &l) { return QByteArray(1, static_cast<char>(l.second)); });
}

QByteArray PanelText::routing(const QList<MatrixControl::Route> &routes)
{
    return numbered(PanelBlock::kOutputRouting, routes,
                    [](const MatrixControl::Route &r) { return QByteArray::number(r.second); });
}

QByteArray PanelText::endPrelude()
{
    return block(PanelBlock::kEndPrelude, {});
}

} // namespace corvantis
