#pragma once

#include "compcore/common/target_cpu.h"
