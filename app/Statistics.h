#pragma once
// Usage statistics kept in the per-user settings store.
