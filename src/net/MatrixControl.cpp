#include "net/MatrixControl.h"

namespace corvantis {

MatrixControl::MatrixControl(QObject *parent) : QObject(parent) {}

MatrixControl::~MatrixControl() = default;

} // namespace corvantis
