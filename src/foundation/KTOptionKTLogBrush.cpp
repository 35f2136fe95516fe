#include "foundation/KTOptionKTLogBrush.h"

namespace {

const KTRegisterRuntimeClass<KTOptionKTLogBrush> registerOption("KTOptionKTLogBrush", 1);

} // namespace

KTOptionKTLogBrush::~KTOptionKTLogBrush() = default;
