// CWaitCursor: the wait cursor for the life of a scope.
#include "qv_ui_classes.h"

CWaitCursor::CWaitCursor() : m_previous(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}

CWaitCursor::~CWaitCursor() { SetCursor(m_previous); }
