#pragma once
// Controls that need nothing beyond the base: their kind tells them apart.
#include "ui/widgets/ControlBase.h"

class StaticText_CL : public ControlBase_CL {};

class Edit_CL : public ControlBase_CL {};

class GroupBox_CL : public ControlBase_CL {};

class ProgressBar_CL : public ControlBase_CL {};
