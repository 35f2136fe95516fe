#include "foundation/KTOptionKTLogFont.h"

namespace {

const KTRegisterRuntimeClass<KTOptionKTLogFont> registerOption("KTOptionKTLogFont", 1);

} // namespace

KTOptionKTLogFont::~KTOptionKTLogFont() = default;
