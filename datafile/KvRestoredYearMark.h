#pragma once
// The year's mark (SysTab's MM; kKvCarriedMonth once the year was carried
// into the next) that a restored data file takes. The mark tells where the
// file stands in time rather than what it holds: while the next year's data
// file exists (the name the new year gives it, beside the current file in
// its folder or account set), the restored file keeps the current file's
// mark whatever the archive holds, so a year carried since the backup stays
// carried and its saves are not taken for the next year's. Without the
// next year the archive's mark stands, so that an administrator can undo a
// carry made by mistake: delete the next year, restore, carry again.

class CKvDb;
class QString;

// The mark the restored copy of `current` takes: *pnMark is current's own
// mark while its next year exists, -1 when the archive's mark stands. False
// with the reason in *pWhy when the current file's mark, or whether its
// next year exists, cannot be read.
bool KvRestoredYearMark(CKvDb& current, int* pnMark, QString* pWhy);
