#pragma once
// The moon pictures of the calendar: one per whole-number age, named "moon%02.0f.jpg"
// (moon00.jpg .. moon30.jpg). A picture of that name among the shipped resources is used when
// present; otherwise the phase is drawn.

#include <QImage>
#include <QString>

namespace pravella {

// The picture name of a moon age in days (printed with no decimals, at least two digits).
QString moonPictureName(double age);

// The picture of that name: from the resources, else drawn for ages 00 to 30; a null image for
// any other name (a day without a picture).
QImage moonPicture(const QString& name);

// The phase drawn for a whole-number age 0..30 on a night-sky square of `size` pixels.
QImage drawMoonPicture(int age, int size = 30);

}  // namespace pravella
