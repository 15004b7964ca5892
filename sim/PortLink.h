#pragma once

#include <QString>

// The assignment ports/COMn -> device in the tool's machine folder, as a technician would make
// it with ln -s. It is removed again when the simulator ends, unless someone has pointed it
// elsewhere meanwhile.
class PortLink {
  public:
    PortLink() = default;
    ~PortLink() { Remove(); }
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    // Creates the ports/ folder when needed. A link left behind by a simulator that was killed
    // is replaced; anything else in its place is left alone and the creation fails.
    bool Create(const QString& linkPath, const QString& target, QString* error);
    void Remove();
    const QString& path() const { return path_; }

  private:
    QString path_;
    QString target_;
};
