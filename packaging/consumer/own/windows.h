// The consumer's own windows.h: the package's headers must leave it its own.
#pragma once
#define CONSUMER_OWN_WINDOWS_H 1
