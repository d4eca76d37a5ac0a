// Every action, and the manager that runs them.
#pragma once

#include "engine/CCAction.h"
#include "engine/CCActionEase.h"
#include "engine/CCActionInstant.h"
#include "engine/CCActionInterval.h"
#include "engine/CCActionManager.h"
