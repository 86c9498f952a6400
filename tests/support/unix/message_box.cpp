#include "qxplatform.h"
#include "testhost.h"

namespace qxtest {

CString LastMessageBoxText() { return QxLastMessageBoxText(); }

}  // namespace qxtest
