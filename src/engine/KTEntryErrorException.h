#pragma once
// Entry errors: input the algebra system cannot handle. Thrown and caught by value; the equation
// interpretation decides by class alone which message to show.

#include "engine/KTExceptionBase.h"
#include "platform/CString.h"

class KTEntryErrorException : public KTExceptionBase
{
public:
    KTEntryErrorException() = default;
    KTEntryErrorException(int position, const CString& text) : m_position(position), m_text(text) {}

    int m_position = -1;
    CString m_text;
};

/// A token text the expression tokenizer does not know; the text is " " + the upper-cased token,
/// the position the index of the token's last character.
class KTUnrecognisedException : public KTEntryErrorException
{
public:
    using KTEntryErrorException::KTEntryErrorException;
};

/// A relation's token list holds no relation sign.
class ASNoRelationException : public KTEntryErrorException
{
public:
    ASNoRelationException() = default;
};

/// A relation kind that cannot be mirrored ("=" included).
class ASUnclassifiedException : public KTEntryErrorException
{
public:
    ASUnclassifiedException() = default;
};

/// A quotient operation that needs every token to be a term met something else.
class ASRequireFailureException : public KTEntryErrorException
{
public:
    ASRequireFailureException() = default;
};

/// Nothing in the algebra throws it; the interpretation keeps a handler for it.
class ASMultipleRelationException : public KTEntryErrorException
{
public:
    ASMultipleRelationException() = default;
};
