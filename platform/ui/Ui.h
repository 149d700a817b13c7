// Everything the system code uses of the platform's forms and controls.
#pragma once

#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/ControlDesc.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/GroupBox.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/RadioButton.h"
#include "platform/ui/Timer.h"
#include "platform/ui/Types.h"
