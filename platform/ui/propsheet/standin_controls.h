// Stand-ins for the standard BUTTON, EDIT and STATIC controls in tests, for a
// layer that has none of its own yet: they answer the dialog manager and react
// to mouse and keys as the real ones do, in the little the tests need.
#pragma once

namespace standin {

// Registers each stand-in whose class the layer does not have.
void RegisterControls();

}  // namespace standin
