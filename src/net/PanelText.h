#pragma once

#include "net/MatrixControl.h"

#include <QByteArray>
#include <QList>
#include <QPair>

namespace corvantis {

// The server's side of the panel protocol's text: every block it sends, each ended by its
// empty line. Text fields are UTF-8; a line end inside a name becomes a blank so a name can
// never end its block.
class PanelText {
public:
    static constexpr const char *kVersion = "2.8";

    // A lock as one client sees it: its own (O), someone else's (L), or none (U).
    enum class LockView : char { Own = 'O', Other = 'L', Free = 'U' };
    using LockLine = QPair<int, LockView>;

    static QByteArray ack();
    static QByteArray nak();
    static QByteArray preamble();
    static QByteArray device(const MatrixControl::DeviceFacts &facts);
    static QByteArray labels(MatrixControl::Side side, const QList<MatrixControl::Label> &labels);
    static QByteArray locks(const QList<LockLine> &locks);
    static QByteArray routing(const QList<MatrixControl::Route> &routes);
    static QByteArray endPrelude();
};

} // namespace corvantis
