#pragma once

// The whole document model in one include.

#include "zephalon/openapi/components.h"
#include "zephalon/openapi/embedded.h"
#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/extensions.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/paths.h"
#include "zephalon/openapi/response.h"
#include "zephalon/openapi/schema.h"
#include "zephalon/openapi/schema_format.h"
#include "zephalon/openapi/security.h"
#include "zephalon/openapi/server.h"
