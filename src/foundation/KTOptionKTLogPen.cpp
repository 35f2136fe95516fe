#include "foundation/KTOptionKTLogPen.h"

namespace {

const KTRegisterRuntimeClass<KTOptionKTLogPen> registerOption("KTOptionKTLogPen", 1);

} // namespace

KTOptionKTLogPen::~KTOptionKTLogPen() = default;
