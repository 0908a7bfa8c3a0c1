#include "win32/CriticalSectionLock.h"

#include <windows.h>

namespace quenchbox::win32 {

static_assert(sizeof(CRITICAL_SECTION) == sizeof(CriticalSectionLock), "storage must hold a CRITICAL_SECTION");
static_assert(alignof(CRITICAL_SECTION) <= 8, "storage must be aligned for a CRITICAL_SECTION");

namespace {

CRITICAL_SECTION* criticalSection(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }

}  // namespace

CriticalSectionLock::CriticalSectionLock() { InitializeCriticalSection(criticalSection(section)); }

CriticalSectionLock::~CriticalSectionLock() { DeleteCriticalSection(criticalSection(section)); }

void CriticalSectionLock::lock() { EnterCriticalSection(criticalSection(section)); }

bool CriticalSectionLock::try_lock() { return TryEnterCriticalSection(criticalSection(section)) != FALSE; }

void CriticalSectionLock::unlock() { LeaveCriticalSection(criticalSection(section)); }

}  // namespace quenchbox::win32
