// What holds for every form that loads, whichever reader loaded it: its canonical rendering
// reads back as text to the same tree, and the binary stream written from it reads back to
// the same tree. A difference stops the fuzzer.
#pragma once

#include <cstdlib>

#include "FormBinaryReader.h"
#include "FormBinaryWriter.h"
#include "FormTextReader.h"
#include "FormTextWriter.h"

inline void CheckRoundTrips(const ovd::TFormComponent& tree)
{
    if (!(ovd::ReadTextForm(ovd::RenderForm(tree)) == tree) ||
        !(ovd::ReadBinaryForm(ovd::WriteBinaryForm(tree)) == tree)) {
        std::abort();
    }
}
