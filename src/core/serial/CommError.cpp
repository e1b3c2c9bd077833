#include "serial/CommError.h"

CommError::CommError(int number, const QString &reason)
    : std::runtime_error(QStringLiteral("%1: %2").arg(number).arg(reason).toStdString())
    , m_number(number)
    , m_reason(reason)
{
}
