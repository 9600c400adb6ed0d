#include "external/jpegsupport/JpegErrorTrap.h"

#include <jerror.h>

namespace jpegsupport {

namespace {

void OnError(j_common_ptr common) {
    JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(common->err);
    trap->code = trap->manager.msg_code;
    longjmp(trap->jump, 1);
}

void OnMessage(j_common_ptr common, int level) {
    JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(common->err);
    if (level >= 0) {
        return; // trace messages
    }
    if (IsDamageWarning(trap->manager.msg_code)) {
        trap->code = trap->manager.msg_code;
        longjmp(trap->jump, 1);
    }
    ++trap->manager.num_warnings;
}

void OnOutput(j_common_ptr) {}

} // namespace

jpeg_error_mgr* JpegErrorTrap::Install() {
    code = 0;
    jpeg_error_mgr* installed = jpeg_std_error(&manager);
    manager.error_exit = OnError;
    manager.emit_message = OnMessage;
    manager.output_message = OnOutput;
    return installed;
}

bool IsDamageWarning(int code) {
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return true;
    default:
        return false;
    }
}

} // namespace jpegsupport
