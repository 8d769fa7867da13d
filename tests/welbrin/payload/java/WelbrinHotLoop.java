// A JVM with one hot method, for profiling the Java profiler.
public class WelbrinHotLoop {
    static double burnCpu(int n) {
        double s = 0;
        for (int i = 0; i < n; i++) {
            s = s * 0.9999999 + Math.sqrt(i);
        }
        return s;
    }

    public static void main(String[] args) throws Exception {
        double total = 0;
        long end = System.currentTimeMillis() + 120_000;  // never outlive a stuck test
        while (System.currentTimeMillis() < end) {
            total += burnCpu(5_000_000);
        }
        System.out.println(total);
    }
}
