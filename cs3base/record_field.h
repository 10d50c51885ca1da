// Helpers of record classes: form field names and column reads.
#pragma once

// True when name equals expected without regard to ASCII letter case.
// A null name matches nothing.
bool FieldNameIs(const char* name, const char* expected);

// Collects the results of a record's column reads: a column that the
// result does not hold (-111) is skipped, and the first other failure is
// kept, so that every column is read before the failure is reported.
class ColumnReads {
public:
    void Note(int rc) {
        if (rc != 0 && rc != -111 && first == 0) first = rc;
    }
    int Result() const { return first; }

private:
    int first = 0;
};
