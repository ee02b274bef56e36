#pragma once
#include "serial/pelmcommqueue.h"
#include "serial/pelmcommpkgqueue.h"
