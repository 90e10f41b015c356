#pragma once
// Number of global operator new calls so far in this test program.
long AllocationCount();
