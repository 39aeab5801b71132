#pragma once
// A file that is written in full or not at all. The bytes go to a temporary
// file in the target's own folder; Commit flushes it to the disk and renames
// it over the target in one step. Until then the target is untouched, and an
// AtomicFile destroyed without Commit (an error, a cancelled run, a program
// stopped by a signal) removes its temporary file: whoever reads the target
// sees the previous file or the new one, never a part of one. Several
// writers of one name each write their own temporary file; the last rename
// wins and leaves one complete file.
//
// A target that is a symbolic link is written through: the link stays as it
// is and the file it points at is replaced, in that file's folder. A link is
// something the user set up on purpose (a "latest.pdf" pointing into an
// archive, a report folder shared from elsewhere); replacing the link by a
// plain file would quietly undo that, and a rename is only atomic within the
// folder of the file it replaces.
//
// Errors raise EWriteError with the file's name and the system's own text for
// the failure ("No space left on device").
//
// Why not QSaveFile: it would keep links, access rights and concurrent
// writers as well, but its failures read in the toolkit's words ("Existing
// file ... is not writable"), while the tool's messages and the save
// dialog's show the system's own reason in the file's name; and its commit
// hides which step failed. The swap would change what users read for no
// gain in safety, so this small class stays.
#include <QByteArray>
#include <QString>

class AtomicFile {
public:
    // Creates the temporary file next to the target. Refuses a target that
    // is a folder or a file the user may not write.
    explicit AtomicFile(const QString& fileName);
    // Removes the temporary file unless Commit succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(const char* data, qint64 size);
    void Write(const QByteArray& bytes) { Write(bytes.constData(), bytes.size()); }
    // Overwrites bytes already written (a table of offsets filled in last).
    void WriteAt(qint64 offset, const char* data, qint64 size);
    // Bytes written so far.
    qint64 Size() const { return size_; }

    // Writes what is buffered, flushes the file to the disk and renames it
    // over the target. After a failure the target is as it was before.
    void Commit();
    // The first half of Commit: the temporary file complete on the disk and
    // closed, the target not yet touched. For outputs of several files that
    // replace their targets together, once every one of them is written.
    void Finish();

    // The name given, and the file that is actually replaced (the end of a
    // chain of symbolic links, or the same name).
    const QString& FileName() const { return fileName_; }
    const QString& TargetName() const { return target_; }
    // The temporary file while it exists, else empty.
    QString TemporaryName() const;

private:
    void Flush();
    [[noreturn]] void Fail(const char* what, int error) const;
    void Discard();

    QString fileName_;
    QString target_;
    QByteArray temporary_; // encoded path; empty once renamed or removed
    int fd_ = -1;
    QByteArray buffer_;
    qint64 size_ = 0;
};
