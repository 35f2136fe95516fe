#pragma once
// Root of the program's own exceptions; thrown by value, caught by class.

/// Carries nothing: the graph data throws it on a wrong archive tag.
class KTExceptionBase
{
public:
    virtual ~KTExceptionBase() = default;
};
