#pragma once
// Clears the upper halves of the processor's vector registers before long numeric work.
//
// Some code the process runs (Qt's image fills and PNG writing among it) leaves them in use
// without clearing them. Until they are cleared, every calculation of code built for the
// baseline instruction set pays a state transition around each call into the wide code of the
// maths library: sin and cos take fifteen times as long, and a curve of trigonometric terms
// with them. Cheap (one instruction), so callers need not ask whether it is needed.

/// Marks the upper halves of the vector registers clean; nothing where the processor has none.
void KTClearUpperVectorState();
