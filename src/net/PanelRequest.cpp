#include "net/PanelRequest.h"

#include <QStringDecoder>

namespace corvantis {

namespace {

constexpr qsizetype kMaxDigits = 6;

// A port number: decimal digits only, so "+1", "-1", " 1" and "1e2" are malformed.
int number(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > kMaxDigits)
        return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool parseRoute(const QByteArray &line, QList<MatrixControl::Route> &routes)
{
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() != 2)
        return false;
    const int output = number(fields[0]);
    const int input = number(fields[1]);
    if (output < 0 || input < 0)
        return false;
    routes.append({output, input});
    return true;
}

bool parseLock(const QByteArray &line, QList<PanelRequest::LockChange> &locks)
{
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() != 2 || fields[1].size() != 1)
        return false;
    const int output = number(fields[0]);
    const char action = fields[1].at(0);
    if (output < 0 || (action != 'O' && action != 'U' && action != 'F'))
        return false;
    locks.append({output, static_cast<PanelRequest::LockAction>(action)});
    return true;
}

// "index name": the name is everything after the first blank and may be empty or hold blanks.
bool parseLabel(const QByteArray &line, QList<MatrixControl::Label> &labels)
{
    const qsizetype blank = line.indexOf(' ');
    const int index = number(QByteArrayView(line).first(blank < 0 ? line.size() : blank));
    if (index < 0)
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = utf8(blank < 0 ? QByteArrayView() : QByteArrayView(line).sliced(blank + 1));
    if (utf8.hasError())
        return false;
    labels.append({index, std::move(name)});
    return true;
}

template <typename List, typename Parse>
PanelRequest::Kind parseLines(const PanelBlock &block, List &list, Parse parse,
                              PanelRequest::Kind kind)
{
    for (const QByteArray &line : block.lines) {
        if (!parse(line, list))
            return PanelRequest::Kind::Malformed;
    }
    return kind;
}

} // namespace

PanelRequest PanelRequest::parse(const PanelBlock &block)
{
    PanelRequest request;
    request.header = block.header;
    const QByteArray &h = block.header;
    const bool query = block.lines.isEmpty();
    if (h == PanelBlock::kPing) {
        request.kind = query ? Kind::Ping : Kind::Malformed;
    } else if (h == PanelBlock::kDevice) {
        // Only the server describes the device.
        request.kind = query ? Kind::Query : Kind::Unknown;
    } else if (h == PanelBlock::kOutputRouting) {
        request.kind =
            query ? Kind::Query : parseLines(block, request.routes, parseRoute, Kind::Route);
    } else if (h == PanelBlock::kOutputLocks) {
        request.kind =
            query ? Kind::Query : parseLines(block, request.locks, parseLock, Kind::Lock);
    } else if (h == PanelBlock::kInputLabels || h == PanelBlock::kOutputLabels) {
        request.side = h == PanelBlock::kInputLabels ? MatrixControl::Side::Input
                                                     : MatrixControl::Side::Output;
        request.kind =
            query ? Kind::Query : parseLines(block, request.labels, parseLabel, Kind::Rename);
    }
    return request;
}

} // namespace corvantis
