#pragma once
#include "serial/pelmcommerror.h"
#include "serial/pelmcommqueue.h"
