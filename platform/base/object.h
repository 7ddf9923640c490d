#pragma once
// CObject: the base of records that serialise themselves to an archive.

class CArchive;

class CObject {
public:
    virtual ~CObject() = default;
    virtual void Serialize(CArchive&) {}
};
