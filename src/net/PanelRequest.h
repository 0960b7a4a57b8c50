#pragma once

#include "net/MatrixControl.h"
#include "net/PanelBlock.h"

#include <QList>
#include <QPair>

namespace corvantis {

// What a client's block asks for, read from its text alone. Numbers are checked against the
// matrix by the server; here only their form.
struct PanelRequest {
    enum class Kind {
        Ping,
        Query, // a known block's header without lines: send that block in full
        Route,
        Rename,
        Lock,
        Malformed,
        Unknown,
    };
    enum class LockAction : char { Own = 'O', Unlock = 'U', Force = 'F' };
    using LockChange = QPair<int, LockAction>;

    Kind kind = Kind::Unknown;
    // For queries: the header of the block to send.
    QByteArray header;
    MatrixControl::Side side = MatrixControl::Side::Input;
    QList<MatrixControl::Route> routes;
    QList<MatrixControl::Label> labels;
    QList<LockChange> locks;

    static PanelRequest parse(const PanelBlock &block);
};

} // namespace corvantis
