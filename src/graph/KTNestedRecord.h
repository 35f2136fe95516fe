#pragma once
// Reading a record that another class archives inside one of ours. Some of those records skip
// silently over a tag or version they do not expect, which would leave the stream in the middle
// of a record; the document must fail its load instead, so the enclosing record checks the
// begin tag before handing over and the end tag after.

#include "platform/KTGdiTypes.h"

class KTArchive;
class KTObject;

/// Stores the record, or loads it after checking that the next bytes begin `tag` with a version
/// of at least `minimumVersion`, and afterwards that the record read through its end tag
/// "/tag/". Throws KTExceptionBase on either mismatch; a short archive throws
/// KTArchiveException.
void KTSerializeNested(KTArchive& ar, KTObject& record, const char* tag, WORD minimumVersion);
