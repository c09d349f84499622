#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
