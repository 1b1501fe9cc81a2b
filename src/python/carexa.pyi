"""Carexa's engine for Python: load, edit and save projects of subsurface-flow treatment
wetlands, simulate them, run many parameter sets side by side, and calibrate, screen and size
as carexa-sim does. Every refusal raises ProjectError with the program's message."""

import os
from typing import Any, Iterable, Literal, Mapping, Optional, Sequence, Tuple, TypedDict, Union, overload

import numpy as np
import numpy.typing as npt

__version__: str

COLD: Literal[1]
WARM: Literal[2]
#: The eleven series in data sheet order ("BOD5 out" ... "eff. t.n. rem").
SERIES: Tuple[str, ...]
#: The sixteen parameter codes in record order ("AC" ... "AF").
PARAMETERS: Tuple[str, ...]

FloatArray = npt.NDArray[np.float64]
Climate = Union[int, Literal["cold", "warm"]]
PathLike = Union[str, "os.PathLike[str]"]

class ProjectError(Exception):
    """A refusal of the engine: the message says what was refused and why; the project is as it was."""

class FitRow(TypedDict):
    n: int
    mean_observed: Optional[float]
    mean_simulated: Optional[float]
    rmse: Optional[float]
    mae: Optional[float]
    pbias: Optional[float]
    nse: Optional[float]
    kge: Optional[float]
    r2: Optional[float]

class CalibrationResult(TypedDict):
    before: dict[str, float]
    after: dict[str, float]
    lower: dict[str, float]
    upper: dict[str, float]
    objective_before: float
    objective_after: float
    fit_before: dict[str, FitRow]
    fit_after: dict[str, FitRow]
    runs_used: int
    runs_failed: int

class SensitivityResult(TypedDict):
    mu: FloatArray
    mu_star: FloatArray
    sigma: FloatArray
    trajectories: int
    trajectories_used: int
    trajectories_failed: int
    runs: int

class UncertaintyResult(TypedDict):
    lower: FloatArray
    median: FloatArray
    upper: FloatArray
    n_observed: npt.NDArray[np.int32]
    p_factor: FloatArray
    r_factor: FloatArray
    runs_used: int
    runs_failed: int

class Result:
    """The results of a run. Days are on axis 0 (day 1 at index 0)."""

    @property
    def series(self) -> dict[str, FloatArray]:
        """The eleven result series, unrounded, keyed by the data sheet's headings."""
    @property
    def sheet(self) -> dict[str, FloatArray]:
        """The data sheet as a run leaves it (three decimals; what carexa-sim run --csv writes)."""
    @property
    def boxes(self) -> FloatArray:
        """Every day's concentrations: days x 5 variables (BOD5, NIT, AMM, ORN, TPO) x 5 boxes (A-E)."""
    @property
    def completed(self) -> bool:
        """False when the run stopped on a day whose concentrations were no longer finite."""
    @property
    def message(self) -> str:
        """Why the run stopped (the program's message), or an empty text."""
    @property
    def failed_day(self) -> int:
        """The day the run stopped on, or 0."""
    @property
    def days(self) -> int:
        """The days of the series."""
    def to_dataframe(self, sheet: bool = False) -> Any:
        """The series as a pandas DataFrame indexed by day; sheet=True gives the rounded values."""

class Project:
    """One Carexa project. Setters check their whole input and raise ProjectError, changing
    nothing, on a bad value; getters return copies."""

    def __init__(self) -> None:
        """A project as the program starts with one: 60 days, 70 sub-steps, no climate."""
    @staticmethod
    def new(*, climate: Climate) -> Project:
        """A new, empty project ("New Project") in the climate chosen."""
    @staticmethod
    def load(path: PathLike) -> Project:
        """The project in a project file, read as "Load Project" reads it."""
    @staticmethod
    def from_bytes(data: bytes) -> Project:
        """The project whose project file holds these bytes."""
    def save(self, path: PathLike) -> None:
        """Writes the project file as "Save Project" does, whole or not at all."""
    def to_bytes(self) -> bytes:
        """The bytes of the project file save() writes."""

    simulation_length: int
    """Days simulated, 1 to 300000."""
    observed_length: int
    """Days of observed values, 0 to 300000."""
    steps_per_day: int
    """Sub-steps per simulated day, 1 to 100000."""
    @property
    def climate(self) -> int:
        """0 (none), 1 (cold) or 2 (warm)."""
    @climate.setter
    def climate(self, value: Climate) -> None: ...
    @property
    def forcing(self) -> dict[str, FloatArray]:
        """The forcing values of every day, keyed by the forcing grid's headings and "porosity",
        "oxygen A".."oxygen E", "box water volume"."""
    @forcing.setter
    def forcing(self, value: Mapping[str, npt.ArrayLike]) -> None: ...
    @property
    def observed(self) -> dict[str, FloatArray]:
        """The observed values keyed by the series headings, NaN where nothing was measured."""
    @observed.setter
    def observed(self, value: Mapping[str, npt.ArrayLike]) -> None: ...
    @property
    def parameters(self) -> dict[str, float]:
        """The sixteen kinetic parameters, code -> value."""
    @parameters.setter
    def parameters(self, value: Mapping[str, float]) -> None: ...
    @property
    def initial(self) -> FloatArray:
        """The initial concentrations: 5 variables (BOD5, NIT, AMM, ORN, TPO) x 5 boxes (A-E)."""
    @initial.setter
    def initial(self, value: npt.ArrayLike) -> None: ...
    @property
    def design(self) -> dict[str, Any]:
        """The eight design inputs, the wetland "type" and the calculated "results"."""
    @design.setter
    def design(self, value: Mapping[str, Any]) -> None: ...
    @property
    def water_volume(self) -> float:
        """The whole water volume of the bed (5 x day 1's box water volume)."""
    @property
    def result(self) -> Optional[Result]:
        """The results the project holds, or None before any run."""

    def calculate_design(self) -> None:
        """"Calculate" on the Design screen."""
    def calculate_water_volume(self) -> None:
        """"Calculate water volume"."""
    def calculate_retention_times(self) -> None:
        """"Calculate RTB values"."""
    def simulate(self) -> Result:
        """"Simulate": runs the project (GIL released) and keeps the results."""
    def fit_statistics(self) -> dict[str, FitRow]:
        """The fit of the results to the observed values (carexa-sim run --fit)."""
    def calibrate(
        self,
        *,
        parameters: Optional[Iterable[str]] = None,
        series: Optional[Iterable[Union[int, str]]] = None,
        runs: int = 4000,
        seed: int = 1,
        threads: int = 0,
        apply: bool = True,
    ) -> CalibrationResult:
        """Fits the parameters to the observed values (carexa-sim calibrate)."""
    def sensitivity(
        self, *, trajectories: int = 20, levels: int = 4, seed: int = 1, threads: int = 0
    ) -> SensitivityResult:
        """Morris's screening of the sixteen parameters (carexa-sim sensitivity)."""
    def uncertainty(self, *, samples: int = 200, seed: int = 1, threads: int = 0) -> UncertaintyResult:
        """The 95 % prediction uncertainty bands (carexa-sim uncertainty)."""
    def __getstate__(self) -> Tuple[int, bytes, dict[str, Any]]: ...
    def __setstate__(self, state: Tuple[int, bytes, dict[str, Any]]) -> None: ...

@overload
def simulate_many(
    project: Project,
    parameter_sets: npt.ArrayLike,
    *,
    threads: int = 0,
    parameters: Optional[Sequence[str]] = None,
    return_completed: Literal[False] = False,
) -> FloatArray:
    """Runs the project once per parameter set on the engine's workers (GIL released):
    an array runs x 11 series x days."""
@overload
def simulate_many(
    project: Project,
    parameter_sets: npt.ArrayLike,
    *,
    threads: int = 0,
    parameters: Optional[Sequence[str]] = None,
    return_completed: Literal[True],
) -> Tuple[FloatArray, npt.NDArray[np.bool_]]: ...
def parameter_ranges(climate: Climate) -> dict[str, Tuple[float, float]]:
    """The range a run in the climate keeps for each parameter: code -> (lowest kept, highest)."""
def default_threads() -> int:
    """The number of workers threads=0 gives: the machine's cores."""

PollutantInput = Union[Sequence[Union[str, float, None]], Mapping[str, Union[str, float, None]]]

def size(
    flow: float,
    pollutants: Iterable[PollutantInput],
    *,
    temperature: float = 20.0,
    area: Optional[float] = None,
    depth: Optional[float] = None,
    porosity: Optional[float] = None,
    conductivity: Optional[float] = None,
    slope: Optional[float] = None,
    long_term_factor: Optional[float] = None,
    width: Optional[float] = None,
) -> dict[str, Any]:
    """Sizes a bed for target outflows and checks it by Darcy's law (carexa-sim size)."""
