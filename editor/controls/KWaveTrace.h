#pragma once
// What the waveform views share: the min/max columns of a history feature
// for two signals, one column per pixel with the newest at the right edge,
// about a centre row; up to two level values (null when absent); and what
// was last drawn, so that a view repaints once per completed column or when
// a level moves.

namespace KAMO {

class KCanvas;
class KHistory;

class KWaveTrace {
public:
    // Read once for a drawing: the effect may change the values meanwhile,
    // and what is remembered must be what was drawn.
    struct Reading {
        struct Level {
            bool present;
            double value;
        };
        int changes;
        Level levels[2];
    };

    KWaveTrace(KHistory* history, const double* level1, const double* level2, int mid, int scale);

    Reading read() const;
    void remember(const Reading& drawn);
    // A column has completed since the drawing remembered.
    bool columnsChanged() const;
    // How far the further-moved level has gone since the drawing remembered.
    double levelMovement() const;

    int centreRow() const { return mMid; }
    int scale() const { return mScale; }
    // The row showing signal value s at `zoom`, limited to 0 ... height.
    int rowOf(double s, double zoom, int height) const;
    // Both signals' columns across `width`, then the centre line.
    void drawColumns(KCanvas& canvas, int width, int height, double zoom,
                     const unsigned char* colourA, const unsigned char* colourB,
                     const unsigned char* centreColour) const;

private:
    KHistory* mHistory;
    const double* mLevel1;
    const double* mLevel2;
    int mMid;
    int mScale;
    int mLastChanges = 0;
    double mLastLevel1 = 0.0;
    double mLastLevel2 = 0.0;
};

}  // namespace KAMO
