#include "analysis/codec/BesselFilter.h"

#include <cmath>
#include <numbers>

namespace undarix::analysis::codec {
namespace {

using Complex = std::complex<double>;

// Coefficients c[0..n] of the phase-normalised Bessel polynomial: the reverse Bessel
// polynomial theta_n(k s) / theta_n(0) with k = theta_n(0)^(1/n), which is monic, so its
// high-frequency asymptote is 1 / s^n as for a Butterworth.
void PhaseNormalisedPolynomial(int n, double* c) {
    auto factorial = [](int m) {
        double f = 1.0;
        for (int i = 2; i <= m; ++i)
            f *= i;
        return f;
    };
    double a[kMaxBesselOrder + 1] = {};
    for (int j = 0; j <= n; ++j)
        a[j] = factorial(2 * n - j) / (std::ldexp(1.0, n - j) * factorial(j) * factorial(n - j));
    const double k = std::pow(a[0], 1.0 / n);
    for (int j = 0; j <= n; ++j)
        c[j] = a[j] * std::pow(k, j) / a[0];
}

Complex Evaluate(const double* c, int n, Complex s) {
    Complex value = c[n];
    for (int j = n - 1; j >= 0; --j)
        value = value * s + c[j];
    return value;
}

Complex Derivative(const double* c, int n, Complex s) {
    Complex value = double(n) * c[n];
    for (int j = n - 1; j >= 1; --j)
        value = value * s + double(j) * c[j];
    return value;
}

// All roots of the monic polynomial at once (Durand-Kerner), then a Newton polish of each.
void Roots(const double* c, int n, Complex* roots) {
    const Complex seed(0.4, 0.9);
    Complex z = 1.0;
    for (int i = 0; i < n; ++i)
        roots[i] = (z *= seed);
    for (int iteration = 0; iteration < 500; ++iteration) {
        double largestStep = 0.0;
        for (int i = 0; i < n; ++i) {
            Complex denominator = 1.0;
            for (int j = 0; j < n; ++j)
                if (j != i) denominator *= roots[i] - roots[j];
            const Complex step = Evaluate(c, n, roots[i]) / denominator;
            roots[i] -= step;
            largestStep = std::max(largestStep, std::abs(step));
        }
        if (largestStep < 1e-15) break;
    }
    for (int i = 0; i < n; ++i)
        for (int polish = 0; polish < 3; ++polish) {
            const Complex slope = Derivative(c, n, roots[i]);
            if (std::abs(slope) == 0.0) break;
            roots[i] -= Evaluate(c, n, roots[i]) / slope;
        }
}

} // namespace

int BesselPrototypePoles(int order, Complex* poles) {
    if (order < 1 || order > kMaxBesselOrder) return 0;
    double c[kMaxBesselOrder + 1];
    PhaseNormalisedPolynomial(order, c);
    Complex roots[kMaxBesselOrder];
    Roots(c, order, roots);
    int written = 0;
    for (int i = 0; i < order; ++i)
        if (roots[i].imag() > 1e-9) poles[written++] = roots[i];
    if (order % 2 == 1) {
        // The real pole: the root nearest the real axis.
        int best = 0;
        for (int i = 1; i < order; ++i)
            if (std::abs(roots[i].imag()) < std::abs(roots[best].imag())) best = i;
        poles[written++] = Complex(roots[best].real(), 0.0);
    }
    return written;
}

int DesignBesselHighPass(double samplingFrequency, double cutoff, int order,
                         BesselHighPassDesign* design) {
    if (!(samplingFrequency > 0.0)) return kBadSampleInterval;
    if (!(cutoff > 0.0) || !(cutoff < samplingFrequency / 2.0) || order < 1 ||
        order > kMaxBesselOrder)
        return kBadFilterSpec;
    Complex poles[kMaxBesselOrder];
    const int poleCount = BesselPrototypePoles(order, poles);

    // The analog cut-off that the bilinear transform maps onto `cutoff`.
    const double k = 2.0 * samplingFrequency;
    const double omega = k * std::tan(std::numbers::pi * cutoff / samplingFrequency);

    design->sectionCount = 0;
    for (int i = 0; i < poleCount; ++i) {
        // Low-pass to high-pass (s -> omega / s) moves a prototype pole p to omega / p and
        // puts its zero at s = 0.
        const Complex q = omega / poles[i];
        Biquad& section = design->sections[design->sectionCount++];
        if (poles[i].imag() > 0.0) {
            // s^2 / (s^2 - 2 Re(q) s + |q|^2)
            const double re = q.real(), magnitude2 = std::norm(q);
            const double d0 = k * k - 2.0 * re * k + magnitude2;
            section.b0 = k * k / d0;
            section.b1 = -2.0 * k * k / d0;
            section.b2 = k * k / d0;
            section.a1 = (2.0 * magnitude2 - 2.0 * k * k) / d0;
            section.a2 = (k * k + 2.0 * re * k + magnitude2) / d0;
        } else {
            // s / (s - q)
            const double d0 = k - q.real();
            section.b0 = k / d0;
            section.b1 = -k / d0;
            section.b2 = 0.0;
            section.a1 = (-k - q.real()) / d0;
            section.a2 = 0.0;
        }
    }
    return kAnalysisOk;
}

int Bssl_HPF(const double* input, int count, double samplingFrequency, double cutoff, int order,
             double* output) {
    if (count < 1) return kTooFewSamples;
    BesselHighPassDesign design;
    if (const int status = DesignBesselHighPass(samplingFrequency, cutoff, order, &design))
        return status;
    const double* source = input;
    for (int s = 0; s < design.sectionCount; ++s) {
        // Transposed direct form II: two state values, good rounding for poles near z = 1.
        const Biquad& f = design.sections[s];
        double z1 = 0.0, z2 = 0.0;
        for (int i = 0; i < count; ++i) {
            const double x = source[i];
            const double y = f.b0 * x + z1;
            z1 = f.b1 * x - f.a1 * y + z2;
            z2 = f.b2 * x - f.a2 * y;
            output[i] = y;
        }
        source = output;
    }
    return kAnalysisOk;
}

} // namespace undarix::analysis::codec
